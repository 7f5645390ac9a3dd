// The FSU requests as rows: command, payload shape and sizes, the sizes
// taken from the records so that a row cannot disagree with its record.
#pragma once

#include "Base/Request.h"
#include "TslFsu.h"

namespace tsl::fsu {

constexpr Operation kGetUserData = KeyedRead<Np_FsuUserData>(4001);
constexpr Operation kDeleteUserData = Indexed(4002);
constexpr Operation kSetUserData = Write<Np_FsuUserData>(4003);
constexpr Operation kClearUserData = Bare(4004);
constexpr Operation kGetIpBindParams = Read<Np_FsuIpBindParams>(4005);
constexpr Operation kSetIpBindParams = Write<Np_FsuIpBindParams>(4006);
constexpr Operation kClearIpBindParams = Bare(4007);
constexpr Operation kGetMacBindParams = Read<Np_FsuMacBindParams>(4008);
constexpr Operation kSetMacBindParams = Write<Np_FsuMacBindParams>(4009);
constexpr Operation kClearMacBindParams = Bare(4010);
constexpr Operation kGetDeviceInfo = Read<Np_FsuDeviceInfo>(4011);
constexpr Operation kSetDeviceInfo = Write<Np_FsuDeviceInfo>(4012);
constexpr Operation kClearDeviceInfo = Bare(4013);
constexpr Operation kGetModbusParams = KeyedRead<Np_FsuModbusParams>(4014);
constexpr Operation kDeleteModbusParams = Indexed(4015);
constexpr Operation kSetModbusParams = Write<Np_FsuModbusParams>(4016);
constexpr Operation kClearModbusParams = Bare(4017);
constexpr Operation kGetModbusData = KeyedRead<Np_FsuModbusValues>(4018);
constexpr Operation kSetModbusData = Write<Np_FsuModbusWrite>(4019);
constexpr Operation kGetRegisterParams = KeyedRead<Np_FsuRegisterParams>(4020);
constexpr Operation kDeleteRegisterParams = Indexed(4021);
constexpr Operation kSetRegisterParams = Write<Np_FsuRegisterParams>(4022);
constexpr Operation kClearRegisterParams = Bare(4023);
constexpr Operation kGetAnalogParams = KeyedRead<Np_FsuAnalogParams>(4024);
constexpr Operation kDeleteAnalogParams = Indexed(4025);
constexpr Operation kSetAnalogParams = Write<Np_FsuAnalogParams>(4026);
constexpr Operation kClearAnalogParams = Bare(4027);
constexpr Operation kGetAnalogCalibrateParams = Read<Np_FsuAnalogCalibrateParams>(4028);
constexpr Operation kSetAnalogCalibrateParams = Write<Np_FsuAnalogCalibrateParams>(4029);
constexpr Operation kClearAnalogCalibrateParams = Bare(4030);
constexpr Operation kGetAnalogData = KeyedRead<Np_FsuAnalogChannelData>(4031);
constexpr Operation kGetRs485Info = KeyedRead<Np_FsuRs485Info>(4032);
constexpr Operation kSetRs485Info = Write<Np_FsuRs485Info>(4033);
constexpr Operation kClearRs485Info = Bare(4034);
constexpr Operation kGetInputParams = KeyedRead<Np_FsuInputParams>(4035);
constexpr Operation kSetInputParams = Write<Np_FsuInputParams>(4036);
constexpr Operation kClearInputParams = Bare(4037);
constexpr Operation kGetInputState = Read<Np_FsuInputState>(4038);
constexpr Operation kGetOutputParams = KeyedRead<Np_FsuOutputParams>(4039);
constexpr Operation kSetOutputParams = Write<Np_FsuOutputParams>(4040);
constexpr Operation kClearOutputParams = Bare(4041);
constexpr Operation kGetOutputState = Read<Np_FsuOutputState>(4042);
constexpr Operation kIOControl = Write<Np_FsuIOControl>(4043);
constexpr Operation kGetLinkageInfo = KeyedRead<Np_FsuLinkageInfo>(4044);
constexpr Operation kDeleteLinkageInfo = Indexed(4045);
constexpr Operation kSetLinkageInfo = Write<Np_FsuLinkageInfo>(4046);
constexpr Operation kClearLinkageInfo = Bare(4047);
constexpr Operation kDeleteRegisterParamsSingle = Write<Np_FsuRegisterKey>(4048);
constexpr Operation kSetRegisterParamsSingle = Write<Np_FsuRegisterParamsSingle>(4049);
constexpr Operation kGetModbusEventData = Query<Np_EventQuery, Np_FsuEventDataList>(4050);
constexpr Operation kGetAnalogEventData = Query<Np_EventQuery, Np_FsuEventDataList>(4051);
constexpr Operation kGetInputEventData = Query<Np_EventQuery, Np_FsuEventDataList>(4052);
constexpr Operation kGetOutputEventData = Query<Np_EventQuery, Np_FsuEventDataList>(4053);
constexpr Operation kGetRegisterMap = KeyedRead<Np_FsuRegisterMap>(4054);
constexpr Operation kDeleteRegisterMap = Indexed(4055);
constexpr Operation kSetRegisterMap = Write<Np_FsuRegisterMap>(4056);
constexpr Operation kClearRegisterMap = Bare(4057);
// 4060 and 4061 carry both the alarm filter and the register table rows;
// the device tells them apart by their payloads.
constexpr Operation kGetAlarmFilterInfo = KeyedRead<Np_FsuAlarmFilterInfo>(4060);
constexpr Operation kSetAlarmFilterInfo = Write<Np_FsuAlarmFilterInfo>(4061);
constexpr Operation kModbusExportData = Query<Np_FsuRegisterKey, Np_FsuModbusRecord>(4060);
constexpr Operation kModbusImportData = Write<Np_FsuModbusRecord>(4061);
constexpr Operation kModbusExportHead = Read<Np_FsuModbusHead>(4062);
constexpr Operation kModbusImportHead = Write<Np_FsuModbusHead>(4063);
constexpr Operation kModbusClearHead = Bare(4064);
constexpr Operation kGetRegisterDesc = Query<Np_FsuRegisterKey, Np_FsuRegisterDesc>(4065);
constexpr Operation kDeleteRegisterDesc = Write<Np_FsuRegisterKey>(4066);
constexpr Operation kSetRegisterDesc = Write<Np_FsuRegisterDesc>(4067);
constexpr Operation kClearRegisterDesc = Bare(4068);
constexpr Operation kGetEvent = Query<Np_EventQuery, Np_FsuEventList>(1035);

}  // namespace tsl::fsu
