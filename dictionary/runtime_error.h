#pragma once

#include <exception>

namespace lexorra::dictionary {

/// Numbers of the runtime error conditions that the file layer raises.
/// The lookup's failure handlers decide by these numbers.
enum class ErrorCode : int {
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    FileAlreadyOpen = 55,
    DeviceIoError = 57,
    InputPastEndOfFile = 62,
    TooManyFiles = 67,
    PathFileAccessError = 75,
};

/// A numbered runtime error, raised by the file layer and caught by the
/// failure handler of the operation that called it.
class RuntimeError final : public std::exception
{
public:
    explicit RuntimeError(ErrorCode code) noexcept : m_code(code) {}

    /// The error's condition.
    [[nodiscard]] ErrorCode code() const noexcept { return m_code; }
    /// The error's number, as users of the old runtime knew it.
    [[nodiscard]] int number() const noexcept { return static_cast<int>(m_code); }
    [[nodiscard]] const char *what() const noexcept override;

private:
    ErrorCode m_code;
};

} // namespace lexorra::dictionary
