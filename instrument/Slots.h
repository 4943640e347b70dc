#pragma once
// Device slots: positions of accepted instruments in the device list.
namespace qm {

inline constexpr int kMaxSessions = 8;  // the tables hold eight instruments
inline constexpr int kNoSlot = 10;      // "no instrument selected"

}  // namespace qm
