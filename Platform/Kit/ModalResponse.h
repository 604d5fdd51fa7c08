#pragma once

namespace Kit {

// How a modal session ended: a button of an alert (1000 + its index), OK or cancel of a panel, or a
// code the session was stopped with.
using ModalResponse = long;

inline constexpr ModalResponse ModalResponseOK = 1;
inline constexpr ModalResponse ModalResponseCancel = 0;
inline constexpr ModalResponse ModalResponseStop = -1000;
inline constexpr ModalResponse ModalResponseAbort = -1001;
inline constexpr ModalResponse AlertFirstButtonReturn = 1000;
inline constexpr ModalResponse AlertSecondButtonReturn = 1001;
inline constexpr ModalResponse AlertThirdButtonReturn = 1002;

} // namespace Kit
