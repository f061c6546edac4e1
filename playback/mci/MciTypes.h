#pragma once

#include <QtGlobal>

namespace cinevan::mci {

// Identifier of an open device; 0 means "no device".
using DeviceId = quint32;

// Result of a device command; 0 means success. The caller keeps the last one and never
// shows it to the user.
using MciError = quint32;

// Error codes, numbered after the classic media-control error base (256) so that a stored
// result keeps one meaning. Every non-zero code has a non-zero low-order byte.
namespace Error {
constexpr MciError None = 0;
constexpr MciError InvalidDeviceId = 257;
constexpr MciError UnrecognizedCommand = 261;
constexpr MciError Hardware = 262;
constexpr MciError InvalidDeviceName = 263;
constexpr MciError CannotLoadDriver = 266;
constexpr MciError UnsupportedFunction = 274;
constexpr MciError FileNotFound = 275;
constexpr MciError DeviceNotReady = 276;
constexpr MciError Internal = 277;
constexpr MciError Driver = 278;
constexpr MciError OutOfRange = 282;
constexpr MciError InvalidFile = 296;
constexpr MciError NoElementAllowed = 301;
constexpr MciError FileRead = 348;
}  // namespace Error

// Items of the capability query.
enum class DevCapsItem {
    HasVideo,
    UsesFiles,
};

}  // namespace cinevan::mci
