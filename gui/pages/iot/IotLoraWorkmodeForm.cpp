#include "IotLoraWorkmodeForm.h"

namespace {
// A LoRa work mode is deleted by a key record, not by a bare id.
int deleteLora(int handle, uint8_t workModeId) {
    Np_IoTLoraWorkModeKey key{};
    key.workModeId = workModeId;
    return TSL_NET_IoT_DeleteLoraWorkModeParams(handle, key);
}
}  // namespace

IotLoraWorkmodeForm::IotLoraWorkmodeForm(QWidget* parent)
    : IotWorkmodeBase({TSL_NET_IoT_GetLoraWorkModeParams, TSL_NET_IoT_SetLoraWorkModeParams, deleteLora,
                       TSL_NET_IoT_ClearLoraWorkModeParams},
                      "IotLoraWorkmodeForm", parent) {}

IotLoraWorkmodeForm::~IotLoraWorkmodeForm() = default;
