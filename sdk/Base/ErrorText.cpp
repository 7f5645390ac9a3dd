#include "Base/ErrorText.h"

#include <climits>
#include <map>

#include "TslDev.h"

namespace tsl {

namespace {

const std::map<int32_t, std::string_view>& Table() {
    static const std::map<int32_t, std::string_view> table = {
        {ERR_SUCCESS, "成功"},
        {ERR_INVALID_HANDLE, "无效句柄"},
        {ERR_DEVICE_TYPE, "设备类型错误"},
        {ERR_CONNECT_TIMEOUT, "连接超时"},
        {ERR_RESPONSE_TIMEOUT, "响应超时"},
        {ERR_RESPONSE_CMD_MISMATCH, "响应命令不匹配"},
        {ERR_RESPONSE_DECODE, "响应解码失败"},
        {ERR_REQUEST_ENCODE, "请求编码失败"},
        {ERR_REQUEST_SEND, "请求发送失败"},
        {ERR_FILE_OPEN, "文件打开失败"},
        {ERR_UPGRADE_INTERRUPTED, "升级中断"},
        {ERR_SOCKET_CREATE, "socket创建失败"},
        {ERR_EXPORT_STOPPED, "导出停止"},
        {ERR_IMPORT_STOPPED, "导入停止"},
        {ERR_FILE_PARSE, "文件解析失败"},
        {ERR_SOCKET_NOT_CONNECTED, "socket未连接,网络环境异常"},
        {ERR_ADDRESS_CONVERT, "网络地址转换失败"},
        {ERR_RESPONSE_LENGTH, "响应长度不匹配"},
        {ERR_SDK_UNKNOWN, "SDK未知错误"},
        {ERR_DEV_GENERAL, "一般性错误"},
        {ERR_DEV_VERSION_MISMATCH, "版本不一致"},
        {ERR_DEV_TYPE_MISMATCH, "设备类型不一致"},
        {ERR_DEV_INVALID_COMMAND, "命令无效"},
        {ERR_DEV_LENGTH_MISMATCH, "数据长度不匹配"},
        {ERR_DEV_INVALID_PARAM, "参数无效"},
        {ERR_DEV_BAD_CREDENTIALS, "用户名或密码错误"},
        {ERR_DEV_NOT_FOUND, "不存在"},
        {ERR_DEV_STORAGE_FULL, "存储已满"},
        {ERR_DEV_NOT_LOGGED_IN, "尚未登录"},
        {ERR_DEV_OUT_OF_MEMORY, "内存不足"},
        {ERR_DEV_UPGRADING, "升级中"},
        {ERR_DEV_MAX_CLIENTS, "达到最大客户端连接"},
        {ERR_DEV_DOOR_NUMBER, "门编号错误"},
        {ERR_DEV_WORK_MODE, "工作模式错误"},
        {ERR_DEV_CARD_NUMBER, "卡号错误"},
        {ERR_DEV_INVALID_MAC, "MAC 地址无效"},
        {ERR_DEV_INVALID_PORT, "端口无效"},
        {ERR_DEV_INVALID_IP_VERSION, "IP 版本无效"},
        {ERR_DEV_INVALID_IP, "IP 不合法"},
        {ERR_DEV_SUBNET_MASK, "子网掩码错误"},
        {ERR_DEV_INVALID_GATEWAY, "网关不合法"},
        {ERR_DEV_IP_GATEWAY_SUBNET, "IP 和网关不在同一个网段"},
        {ERR_DEV_MAX_EVENT_LINKS, "事件连接最大数"},
        {ERR_DEV_WEAK_PASSWORD, "登录密码不符合复杂口令要求"},
        {ERR_DEV_NOT_ACTIVATED, "设备未激活"},
        {ERR_DEV_BINDING_MISMATCH, "与绑定的 IP/MAC 不匹配"},
        {ERR_DEV_MAX_USERS, "达到最大用户数"},
        {ERR_DEV_NO_SUCH_USER, "用户不存在"},
        {ERR_DEV_NO_PERMISSION, "无权限"},
        {ERR_DEV_NOT_ALLOWED, "不允许"},
        {ERR_DEV_MAX_CARD_GROUPS, "超过最大卡组数"},
        {ERR_DEV_SENSOR_OFFLINE, "传感器离线"},
        {ERR_DEV_DUPLICATE_IP, "IP 重复"},
        {ERR_DEV_DUPLICATE_MAC, "MAC 重复"},
        {ERR_DEV_DUPLICATE_USER, "用户名重复"},
        {ERR_DEV_UPGRADE_CHECKSUM, "升级校验和错误"},
        {ERR_DEV_UPGRADE_DEVICE_TYPE, "升级设备类型错误"},
        {ERR_DEV_SD_CARD, "SD 卡错误"},
        {ERR_DEV_INVALID_RS485_PORT, "RS485 口无效"},
        {ERR_DEV_INVALID_DEVICE_TYPE, "设备类型无效"},
        {ERR_DEV_CONFIG_MISMATCH, "配置不一致"},
        {ERR_DEV_INVALID_REGISTER_COUNT, "寄存器数量无效"},
        {ERR_DEV_INVALID_CHANNEL, "通道号无效"},
        {ERR_DEV_UPPER_BELOW_LOWER, "上阈值小于下阈值无效"},
        {ERR_DEV_UPPER_EQUALS_LOWER, "上下阈值相等无效"},
        {ERR_DEV_INVALID_HYSTERESIS, "报警回差无效"},
        {ERR_DEV_INVALID_THRESHOLD_TYPE, "阈值类型无效"},
    };
    return table;
}

constexpr std::string_view kFallback = "未定义的错误类型";

}  // namespace

std::string_view GetErrorCodeText(int32_t code) {
    const auto& table = Table();
    auto it = table.find(code);
    return it == table.end() ? kFallback : it->second;
}

int32_t DeviceRefusal(int32_t code) {
    if (code < 1) return ERR_SDK_UNKNOWN;
    const int64_t status = -1000 - static_cast<int64_t>(code);
    return status < INT32_MIN ? ERR_SDK_UNKNOWN : static_cast<int32_t>(status);
}

}  // namespace tsl

TSL_EXTERN_C TSL_API const char* TSL_NET_DEV_GetErrorCodeStr(int code) {
    return tsl::GetErrorCodeText(code).data();
}
