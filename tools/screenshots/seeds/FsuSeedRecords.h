// What the monitoring-unit page seeds share: a packed record as the bytes the
// simulated device serves, and its texts and numbers set through the page kit
// (packed members wider than a byte are never bound to a reference).
#pragma once

#include <QString>

#include <cstring>
#include <type_traits>

#include "DevSim.h"
#include "PageKit.h"

namespace shots {

template <typename Record>
devsim::Bytes recordBytes(const Record& record) {
    static_assert(std::is_trivially_copyable<Record>::value, "a plain record");
    devsim::Bytes bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

template <size_t N>
void putText(char (&field)[N], const char* utf8) {
    kit::copyText(field, QString::fromUtf8(utf8));
}

}  // namespace shots
