#include "engine/records_error.h"

#include "platform/text_case.h"

namespace tidewell {
namespace {

std::string Describe(const RecordsFailure& failure) {
  const char* file = failure.file == RecordsFile::DeletionLog ? "deletion log" : "run report";
  return std::string("Tidewell can't ") + (failure.deleting ? "delete" : "write") + " its " + file + " " +
         failure.hostPath;
}

}  // namespace

RecordsError::RecordsError(RecordsFailure failure)
    : std::runtime_error(Describe(failure) + ": " + failure.error.message()), failure_(std::move(failure)) {}

Message RecordsFailureMessage(const RecordsFailure& failure, std::string_view drive) {
  return {"Records Error",
          Describe(failure) + "\r\r" + "Reason: " + failure.error.message() + "\r\r" + "Cleaning of drive " +
              UpperCased(drive.substr(0, 2)) +
              " was stopped. Make sure that Tidewell's folder can be written and has free space, then "
              "try again.",
          MessageIcon::Error, MessageButtons::Ok};
}

}  // namespace tidewell
