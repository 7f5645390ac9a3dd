// The unit's alarm page: named inputs and outputs with a few in alarm or
// switched, and the parameters of input and output 1.
#include "FsuAlarmForm.h"
#include "Seeds.h"
#include "TslFsu.h"

namespace {

const char* const kInputs[] = {"烟感1", "烟感2", "水浸", "门磁", "红外", "玻璃破碎", "市电停电", "UPS告警"};
const char* const kOutputs[] = {"声光报警", "排风扇", "空调启停", "照明", "门锁"};

void fill(devsim::SimDevice& d) {
    Np_FsuInputParams input{};
    input.channel = 1;
    input.delay = 3;
    input.inputType = 1;
    shots::putText(input.name, kInputs[0]);
    input.alarmType = 4;
    d.PutRecord("fsuInput", {1}, shots::bytesOf(input));

    Np_FsuOutputParams output{};
    output.channel = 1;
    output.delay = 10;
    shots::putText(output.name, kOutputs[0]);
    d.PutRecord("fsuOutput", {1}, shots::bytesOf(output));

    Np_FsuInputState inputs{};
    for (size_t i = 0; i < 16; ++i) inputs.state[i] = 1;
    for (size_t i = 0; i < sizeof kInputs / sizeof kInputs[0]; ++i)
        shots::putText(inputs.name[i], kInputs[i]);
    inputs.state[2] = 2;  // water on the floor
    inputs.state[6] = 0;
    d.PutRecord("fsuInputState", {}, shots::bytesOf(inputs));

    Np_FsuOutputState outputs{};
    for (size_t i = 0; i < sizeof kOutputs / sizeof kOutputs[0]; ++i)
        shots::putText(outputs.name[i], kOutputs[i]);
    outputs.state[1] = 1;
    outputs.state[2] = 1;
    shots::putText(outputs.name[16], "独立控制输出");
    d.PutRecord("fsuOutputState", {}, shots::bytesOf(outputs));
}

// The filter's channel number is typed by the user; it is not read first.
const bool seeded =
    shots::addSeed({&FsuAlarmForm::staticMetaObject,
                    {"inputGetButton", "outputGetButton", "inputStateGetButton", "outputStateGetButton"},
                    fill});

}  // namespace
