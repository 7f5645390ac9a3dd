// The six device type codes and their names, in tree and combo-box order.
#pragma once

constexpr int kFirstType = 100;
constexpr int kTypeCount = 6;
// By type code minus 100.
extern const char* const kTypeNames[kTypeCount];
