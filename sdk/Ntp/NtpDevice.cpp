// The TSL_NET_Ntp_* exports.
#include "Ntp/NtpDevice.h"

#include "Base/DeviceTable.h"

using tsl::NtpDevice;

TSL_EXTERN_C TSL_API int TSL_NET_Ntp_GetDevicLocationInfo(int handle, Np_NtpLocationInfo* info) {
    return tsl::WithDevice<NtpDevice>(handle, [&](NtpDevice& d) { return d.GetDeviceLocationInfo(info); });
}
