#pragma once
#include <string>

/// The catalogue of shared user messages. Each `Show...`-style operation shows its message
/// through the current TMessagePresenter; each `...Text` builds the exact text.
class TErrorReport {
public:
  // Titles of the message boxes.
  static constexpr const char* TitleError = "Error";
  static constexpr const char* TitleFileError = "File Error";
  static constexpr const char* TitleInputError = "Input Error";
  static constexpr const char* TitleAssertion = "Assertion failed";
  static constexpr const char* TitleSystemError = "System Error";
  static constexpr const char* TitleSystemWarning = "System Warning";
  /// Title of a file that was written but changed hands (its owner could not be kept).
  static constexpr const char* TitleFileWarning = "File Warning";
  /// Title of a file that cannot be written (one word, as the program always spelled it).
  static constexpr const char* TitleSaveError = "FileError";

  /// "A window with name "<name>" already exists."
  static std::string NameExistsText(const std::string& name);
  static void NameExists(const std::string& name);

  /// "When opening file "<file>" from project, a window with name "<name>" already exists"
  static std::string ProjectNameExistsText(const std::string& file, const std::string& name);
  static void ProjectNameExists(const std::string& file, const std::string& name);

  /// "Cannot read the file: "<file>", <reason>" (stop icon).
  static std::string CannotReadText(const std::string& file, const std::string& reason);
  static void CannotRead(const std::string& file, const std::string& reason);

  /// The message itself, under "Input Error".
  static void InputError(const std::string& message);

  /// "In <source> line <line>: Condition "<condition>"failed!"
  static std::string AssertionReportText(const std::string& condition, const std::string& source,
                                         int line);
  static void AssertionReport(const std::string& condition, const std::string& source, int line);

  /// "There is not enough memmory for this operation." under "System Error".
  static const char* const NotEnoughMemoryText;
  static void NotEnoughMemory();

  /// "Could not open logfile." under "System Warning".
  static const char* const CouldNotOpenLogText;
  /// "Tried to delete a NULL-pointer!" under "System Warning".
  static const char* const DeleteNullText;
  /// "<field>: Field should not be empty." under "Input Error".
  static std::string FieldEmptyText(const std::string& field);
  static void FieldEmpty(const std::string& field);
};
