#pragma once
// Every control wrapper of the framework.

#include "platform/framework/BasicControls.h"
#include "platform/framework/ListControls.h"
#include "platform/framework/ListCtrl.h"
