// Everything of the window framework in one include.
#pragma once

#include "framework/cstring.h"
#include "framework/win/controls.h"
#include "framework/win/data_exchange.h"
#include "framework/win/dialog.h"
#include "framework/win/gdi.h"
#include "framework/win/geometry.h"
#include "framework/win/menu.h"
#include "framework/win/message_map.h"
#include "framework/win/win_app.h"
#include "framework/win/wnd.h"
