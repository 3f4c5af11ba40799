// The update window's construction and the wiring of its events.
#include "app/MainForm.h"

TMainForm::TMainForm(platform::View& view, platform::Services& services, LhaBinding* lha)
    : m_view(view), m_services(services), m_lha(lha) {}

TMainForm::~TMainForm() = default;
