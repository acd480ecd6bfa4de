#pragma once

#include <QString>

#include <system_error>

// The file layer's failures: the system's errno values, and problems of its own, worded in
// Hungarian.
namespace quill::files {

/// Why a file could not be used although the system reported no error: something else stands in
/// its place, or it is too large to be ours. Every other failure is the system's (errno, in the
/// generic category).
enum class Problem { Directory = 1, Pipe, Socket, Device, TooLarge };
const std::error_category &problemCategory();
std::error_code make_error_code(Problem problem);
/// An errno value as an error; 0 is none.
std::error_code systemError(int errnoValue);
/// A folder, pipe, socket or device stands where a file should.
bool isNotAFile(const std::error_code &error);

/// The reason of a failure in the user's words (Hungarian), for instance "betelt a lemez".
QString reasonText(const std::error_code &error);

} // namespace quill::files

template <> struct std::is_error_code_enum<quill::files::Problem> : std::true_type {
};
