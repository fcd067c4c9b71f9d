#include "runtime_error.h"

namespace lexorra::dictionary {

const char *RuntimeError::what() const noexcept
{
    switch (m_code) {
    case ErrorCode::BadFileNameOrNumber:
        return "Bad file name or number";
    case ErrorCode::FileNotFound:
        return "File not found";
    case ErrorCode::FileAlreadyOpen:
        return "File already open";
    case ErrorCode::DeviceIoError:
        return "Device I/O error";
    case ErrorCode::InputPastEndOfFile:
        return "Input past end of file";
    case ErrorCode::TooManyFiles:
        return "Too many files";
    case ErrorCode::PathFileAccessError:
        return "Path/File access error";
    default:
        return "Runtime error";
    }
}

} // namespace lexorra::dictionary
