#pragma once

#include <cstdint>

#include "platform/MessageSink.h"

namespace player {

// Messages the views post to their owner.
inline constexpr std::uint32_t WM_GRAPH_NOTIFY = platform::kAppMessageBase + 4;
inline constexpr std::uint32_t WM_SLOW_STEP = platform::kAppMessageBase + 5;
inline constexpr std::uint32_t WM_SLOW_STEP_END = platform::kAppMessageBase + 6;
inline constexpr std::uint32_t WM_PLAYER_ENDED = platform::kAppMessageBase + 1002;
inline constexpr std::uint32_t WM_PLAYER_READY = platform::kAppMessageBase + 1003;

// Results, as the operations report them.
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
// Done, but not quite as asked: a frame past the end of what decodes shows
// the last frame that does.
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT VFW_E_NO_DECODER = static_cast<HRESULT>(0x80040200);  // no decoder or splitter
inline constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209);
inline constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227);
inline constexpr HRESULT MF_E_INVALIDREQUEST = static_cast<HRESULT>(0xC00D36B2);
inline constexpr HRESULT MF_E_CANNOT_CREATE_SINK = static_cast<HRESULT>(0xC00D36FA);

inline bool Failed(HRESULT hr) { return hr < 0; }

}  // namespace player
