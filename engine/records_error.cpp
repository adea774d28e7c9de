#include "engine/records_error.h"

#include "platform/text_case.h"
#include "platform/text_file.h"

namespace tidewell {
namespace {

std::string Describe(const RecordsFailure& failure) {
  const char* file = failure.file == RecordsFile::DeletionLog ? "deletion log" : "run report";
  return std::string("Tidewell can't ") + (failure.deleting ? "delete" : "write") + " its " + file + " " +
         failure.hostPath;
}

// What the user can do about it: something that is not a file of the
// program's own stands in the record's place, or the folder is the trouble.
std::string Advice(const std::error_code& error) {
  if (error.category() == platform::TextFileCategory()) {
    return "Remove or rename what stands in the file's place, so that Tidewell can make a file of its own, "
           "then try again.";
  }
  return "Make sure that Tidewell's folder can be written and has free space, then try again.";
}

}  // namespace

RecordsError::RecordsError(RecordsFailure failure)
    : std::runtime_error(Describe(failure) + ": " + failure.error.message()), failure_(std::move(failure)) {}

Message RecordsFailureMessage(const RecordsFailure& failure, std::string_view drive) {
  return {"Records Error",
          Describe(failure) + "\r\r" + "Reason: " + failure.error.message() + "\r\r" + "Cleaning of drive " +
              UpperCased(drive.substr(0, 2)) + " was stopped. " + Advice(failure.error),
          MessageIcon::Error, MessageButtons::Ok};
}

}  // namespace tidewell
