#include "host/QVGUICtrl.h"
#include "host/QVGUIDesc.h"
#include "host/QVHandler.h"

const QVGUIDescTable* QVGUIDesc::sWrapper = nullptr;
const QVGUICtrlTable* QVGUICtrl::sWrapper = nullptr;
const QVHandlerTable* QVHandler::sWrapper = nullptr;
