#include "core/safefile.h"

#include "core/TSafeFile.h"
#include "core/systemerror.h"

bool WriteFileSafely(const std::string& fileName, const std::string& bytes,
                     std::string& errorText) {
  TSafeFile file;
  if (file.Open(fileName) && file.Write(bytes.data(), bytes.size()) && file.Commit()) return true;
  switch (file.Failure()) {
    case TSafeFile::TFailure::NotRegular:
      errorText = NotRegularFileText;
      break;
    case TSafeFile::TFailure::CannotWrite:
      errorText = CouldNotWriteText;
      break;
    default:
      errorText = CannotOpenForWritingText;
      break;
  }
  return false;
}
