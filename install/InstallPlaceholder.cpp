// The expansion run is not built yet.
#include "app/MainForm.h"

void TMainForm::Unpress() {}
