// The first page of this morning's log: logins, settings and a remote opening.
#include <cstring>

#include "CommonSeeds.h"
#include "LogQueryForm.h"
#include "Seeds.h"
#include "TslDev.h"

namespace {

void fill(devsim::SimDevice& d) {
    struct Line {
        const char* ip;
        int32_t type;
        int hour, minute;
        const char* content;
    };
    const Line lines[] = {
        {"192.168.1.100", 1, 8, 2, "管理员登录"},    {"192.168.1.100", 2, 8, 5, "修改门1开门时长"},
        {"192.168.1.100", 2, 8, 11, "设置网络参数"}, {"192.168.1.23", 4, 9, 17, "远程开门"},
        {"192.168.1.23", 1, 9, 40, "同步设备时间"},
    };
    Np_LogList list{};
    list.total = 23;
    list.pageNo = 1;
    list.count = 5;
    for (int i = 0; i < 5; ++i) {
        Np_LogInfo& r = list.records[i];
        std::strcpy(r.ipAddress, lines[i].ip);
        r.logType = lines[i].type;
        r.time = commonseed::today(lines[i].hour, lines[i].minute, 7 * i);
        std::strcpy(r.userName, "admin");
        std::strcpy(r.content, lines[i].content);
    }
    d.PutRecord("log", {}, shots::bytesOf(list));
}

const bool seeded = shots::addSeed({&LogQueryForm::staticMetaObject, {"queryButton"}, fill});

}  // namespace
