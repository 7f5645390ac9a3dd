#include "Base/ErrorText.h"

#include <climits>
#include <map>

#include "TslDev.h"

namespace tsl {

namespace {

const std::map<int32_t, std::string_view>& Table() {
    static const std::map<int32_t, std::string_view> table = {
        {0, "成功"},
        {-1, "无效句柄"},
        {-2, "设备类型错误"},
        {-3, "连接超时"},
        {-4, "响应超时"},
        {-5, "响应命令不匹配"},
        {-6, "响应解码失败"},
        {-7, "请求编码失败"},
        {-8, "请求发送失败"},
        {-9, "文件打开失败"},
        {-10, "升级中断"},
        {-11, "socket创建失败"},
        {-12, "导出停止"},
        {-13, "导入停止"},
        {-14, "文件解析失败"},
        {-15, "socket未连接,网络环境异常"},
        {-16, "网络地址转换失败"},
        {-17, "响应长度不匹配"},
        {-18, "SDK未知错误"},
        {-1001, "一般性错误"},
        {-1002, "版本不一致"},
        {-1003, "设备类型不一致"},
        {-1004, "命令无效"},
        {-1005, "数据长度不匹配"},
        {-1006, "参数无效"},
        {-1007, "用户名或密码错误"},
        {-1008, "不存在"},
        {-1009, "存储已满"},
        {-1010, "尚未登录"},
        {-1011, "内存不足"},
        {-1012, "升级中"},
        {-1013, "达到最大客户端连接"},
        {-1014, "门编号错误"},
        {-1015, "工作模式错误"},
        {-1016, "卡号错误"},
        {-1017, "MAC 地址无效"},
        {-1018, "端口无效"},
        {-1019, "IP 版本无效"},
        {-1020, "IP 不合法"},
        {-1021, "子网掩码错误"},
        {-1022, "网关不合法"},
        {-1023, "IP 和网关不在同一个网段"},
        {-1024, "事件连接最大数"},
        {-1025, "登录密码不符合复杂口令要求"},
        {-1026, "设备未激活"},
        {-1027, "与绑定的 IP/MAC 不匹配"},
        {-1028, "达到最大用户数"},
        {-1029, "用户不存在"},
        {-1030, "无权限"},
        {-1031, "不允许"},
        {-1032, "超过最大卡组数"},
        {-1033, "传感器离线"},
        {-1034, "IP 重复"},
        {-1035, "MAC 重复"},
        {-1036, "用户名重复"},
        {-1037, "升级校验和错误"},
        {-1038, "升级设备类型错误"},
        {-1039, "SD 卡错误"},
        {-1040, "RS485 口无效"},
        {-1041, "设备类型无效"},
        {-1042, "配置不一致"},
        {-1043, "寄存器数量无效"},
        {-1044, "通道号无效"},
        {-1045, "上阈值小于下阈值无效"},
        {-1046, "上下阈值相等无效"},
        {-1047, "报警回差无效"},
        {-1048, "阈值类型无效"},
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
    if (code < 1) return -18;
    const int64_t status = -1000 - static_cast<int64_t>(code);
    return status < INT32_MIN ? -18 : static_cast<int32_t>(status);
}

}  // namespace tsl

TSL_EXTERN_C TSL_API const char* TSL_NET_DEV_GetErrorCodeStr(int code) {
    return tsl::GetErrorCodeText(code).data();
}
