#pragma once

#include <exception>

namespace dictionary {

/// Numbers of the runtime error conditions that the file layer raises.
/// The lookup's failure handlers decide by these numbers.
namespace ErrorCode {
inline constexpr int OutOfMemory = 7;
inline constexpr int BadFileNameOrNumber = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyOpen = 55;
inline constexpr int DeviceIoError = 57;
inline constexpr int InputPastEndOfFile = 62;
inline constexpr int TooManyFiles = 67;
inline constexpr int PathFileAccessError = 75;
} // namespace ErrorCode

/// A numbered runtime error, raised by the file layer and caught by the
/// failure handler of the operation that called it.
class RuntimeError final : public std::exception
{
public:
    explicit RuntimeError(int number) noexcept : m_number(number) {}

    /// The error's number (see ErrorCode).
    [[nodiscard]] int number() const noexcept { return m_number; }
    [[nodiscard]] const char *what() const noexcept override;

private:
    int m_number;
};

} // namespace dictionary
