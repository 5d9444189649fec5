#pragma once
// The whole host contract.
#include "host/cinterface.h"
#include "host/components.h"
#include "host/error.h"
#include "host/global_services.h"
#include "host/log_object.h"
#include "host/navigator.h"
#include "host/objects.h"
#include "host/services.h"
#include "host/window_services.h"
