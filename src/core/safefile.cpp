#include "core/safefile.h"

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"
#include "core/TSafeFile.h"
#include "core/systemerror.h"

bool WriteFileSafely(const std::string& fileName, const std::string& bytes,
                     std::string& errorText) {
  TSafeFile file;
  if (file.Open(fileName) && file.Write(bytes.data(), bytes.size()) && file.Commit()) {
    // Saved all the same; the user learns who may write the file now.
    if (!file.Warning().empty())
      ShowMessage(file.Warning(), TErrorReport::TitleFileWarning, TMsgIcon::Warning);
    return true;
  }
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
