#include "IotWorkmodeForm.h"

IotWorkmodeForm::IotWorkmodeForm(QWidget* parent)
    : IotWorkmodeBase({TSL_NET_IoT_GetWorkModeParams, TSL_NET_IoT_SetWorkModeParams,
                       TSL_NET_IoT_DeleteWorkModeParams, TSL_NET_IoT_ClearWorkModeParams},
                      "IotWorkmodeForm", parent) {}

IotWorkmodeForm::~IotWorkmodeForm() = default;
