#include "core/TErrorReport.h"

#include "core/TMessagePresenter.h"

const char* const TErrorReport::NotEnoughMemoryText =
    "There is not enough memmory for this operation.";
const char* const TErrorReport::CouldNotOpenLogText = "Could not open logfile.";
const char* const TErrorReport::DeleteNullText = "Tried to delete a NULL-pointer!";

std::string TErrorReport::NameExistsText(const std::string& name) {
  return "A window with name \"" + name + "\" already exists.";
}

void TErrorReport::NameExists(const std::string& name) {
  ShowMessage(NameExistsText(name), TitleError, TMsgIcon::Information);
}

std::string TErrorReport::ProjectNameExistsText(const std::string& file, const std::string& name) {
  return "When opening file \"" + file + "\" from project, a window with name \"" + name +
         "\" already exists";
}

void TErrorReport::ProjectNameExists(const std::string& file, const std::string& name) {
  ShowMessage(ProjectNameExistsText(file, name), TitleError, TMsgIcon::Information);
}

std::string TErrorReport::CannotReadText(const std::string& file, const std::string& reason) {
  return "Cannot read the file: \"" + file + "\", " + reason;
}

void TErrorReport::CannotRead(const std::string& file, const std::string& reason) {
  ShowMessage(CannotReadText(file, reason), TitleFileError, TMsgIcon::Error);
}

void TErrorReport::InputError(const std::string& message) {
  ShowMessage(message, TitleInputError, TMsgIcon::Information);
}

std::string TErrorReport::AssertionReportText(const std::string& condition,
                                              const std::string& source, int line) {
  return "In " + source + " line " + std::to_string(line) + ": Condition \"" + condition +
         "\"failed!";
}

void TErrorReport::AssertionReport(const std::string& condition, const std::string& source,
                                   int line) {
  ShowMessage(AssertionReportText(condition, source, line), TitleAssertion,
              TMsgIcon::Information);
}

void TErrorReport::NotEnoughMemory() {
  ShowMessage(NotEnoughMemoryText, TitleSystemError, TMsgIcon::Error);
}

std::string TErrorReport::FieldEmptyText(const std::string& field) {
  return field + ": Field should not be empty.";
}

void TErrorReport::FieldEmpty(const std::string& field) {
  ShowMessage(FieldEmptyText(field), TitleInputError, TMsgIcon::Information);
}
