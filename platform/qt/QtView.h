// The update window on Qt 6 Widgets.
#pragma once

#include "platform/View.h"
