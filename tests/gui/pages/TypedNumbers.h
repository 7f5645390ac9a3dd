// Texts a user may leave in a register table's number edit, typed key by key
// through the edit's validator: what the edit then holds, and whether a write
// of the table must refuse it.
#pragma once

namespace guitest {

struct TypedNumber {
    const char* typed;
    const char* shown;
    bool refused;
    float value;  // what a write sends when it is not refused
};

inline const TypedNumber kTypedNumbers[] = {
    {"-", "-", true, 0.0f},
    {".", ".", true, 0.0f},
    {"-.", "-.", true, 0.0f},
    {"+", "+", true, 0.0f},
    {"1e", "1", false, 1.0f},  // the validator takes no exponent
    {"", "", false, 0.0f},     // blank reads as 0
    {"-12.5", "-12.5", false, -12.5f},
};

}  // namespace guitest
