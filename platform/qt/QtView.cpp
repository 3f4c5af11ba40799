// The update window on Qt 6 Widgets.
#include "platform/qt/QtView.h"
