// The texts of the 3D view's failure codes, as its error boxes show them.
#pragma once

#include <cstdint>
#include <string>

// Failure codes of the 3D view.
inline constexpr std::uint32_t D3DAPPERR_NODIRECT3D = 0x82000001;
inline constexpr std::uint32_t D3DAPPERR_NOCOMPATIBLEDEVICES = 0x82000003;
inline constexpr std::uint32_t D3DAPPERR_NOWINDOWABLEDEVICES = 0x82000004;
inline constexpr std::uint32_t D3DAPPERR_NOHARDWAREDEVICE = 0x82000005;
inline constexpr std::uint32_t D3DAPPERR_HALNOTCOMPATIBLE = 0x82000006;
inline constexpr std::uint32_t D3DAPPERR_NOWINDOWEDHAL = 0x82000007;
inline constexpr std::uint32_t D3DAPPERR_NODESKTOPHAL = 0x82000008;
inline constexpr std::uint32_t D3DAPPERR_NOHALTHISMODE = 0x82000009;
inline constexpr std::uint32_t D3DAPPERR_NONZEROREFCOUNT = 0x8200000A;
inline constexpr std::uint32_t D3DAPPERR_MEDIANOTFOUND = 0x8200000B;
inline constexpr std::uint32_t D3DAPPERR_RESIZEFAILED = 0x8200000C;
inline constexpr std::uint32_t D3DAPPERR_NULLREFDEVICE = 0x8200000D;
inline constexpr std::uint32_t E_OUTOFMEMORY_CODE = 0x8007000E;
inline constexpr std::uint32_t D3DERR_OUTOFVIDEOMEMORY = 0x8876017C;

// How a failure is reported.
enum class ErrorKind
{
    Warning = 0,
    Fatal = 1,
    // A warning that the software renderer takes over.
    SwitchingToRef = 2,
};

// The whole text of the box: the code's text and the suffix of its kind.
std::string Text3DError(std::uint32_t code, ErrorKind kind);
