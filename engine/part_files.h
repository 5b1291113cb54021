#pragma once
// A body cut short (Stop, Cancel, a lost connection, a killed program) stays
// in the project folder under a part name, beside a note of its address and
// of the validator the server gave, so that a later try asks for the rest.
// The part names are made here only, and no stored name is ever one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// "~resume-" and 16 hex digits of the address, then ".part" or ".info".
std::string PartFileName(const std::string& requestUrl);
std::string PartInfoName(const std::string& requestUrl);
bool IsPartName(std::string_view name);

struct KeptPart {
  int64_t size = 0;       // bytes held
  std::string validator;  // for If-Range
};

// The part kept in `dirFd` for `requestUrl`, when its note names that
// address and it holds bytes.
std::optional<KeptPart> FindPart(int dirFd, const std::string& requestUrl);
// Forgets the part of `requestUrl`: the next try starts over.
void ForgetPart(int dirFd, const std::string& requestUrl);
// Writes the note before the first byte of a part.
bool WritePartInfo(int dirFd, const std::string& requestUrl, const std::string& validator);
// The validator If-Range may carry: a strong ETag, else Last-Modified.
std::string PartValidator(const std::string& etag, const std::string& lastModified);

}  // namespace engine
