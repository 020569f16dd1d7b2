// The host's own failure codes. The error display maps each to a message of the string table.
#pragma once
#include <windows.h>

constexpr HRESULT kErrNoDirect3D = (HRESULT)0x82000001;
constexpr HRESULT kErrNoCompatibleDevices = (HRESULT)0x82000003;
constexpr HRESULT kErrNoDeviceType = (HRESULT)0x82000005;
constexpr HRESULT kErrHalNotCompatible = (HRESULT)0x82000006;
constexpr HRESULT kErrInitFailed = (HRESULT)0x82000007;
constexpr HRESULT kErrNoWindowedHal = (HRESULT)0x82000009;
constexpr HRESULT kErrMediaNotFound = (HRESULT)0x8200000b;
constexpr HRESULT kErrResetFailed = (HRESULT)0x8200000c;
constexpr HRESULT kErrDeviceObjectsFailed = (HRESULT)0x8200000d;
constexpr HRESULT kErrCreateDeviceFailed = (HRESULT)0x8200000e;
constexpr HRESULT kErrNoPreview = (HRESULT)0x8200000f;
