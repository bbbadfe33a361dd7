#pragma once
// Numbered errors of the core library's file operations and their texts.

namespace kv {

enum FileError : int {
  kFileOk = 0,
  kFileUnknown = 1,
  kFileBadName = 2,
  kFileNotFound = 3,
  kFileNoDirectory = 4,
  kFileLocked = 5,
  kFileReadFailed = 6,
  kFileWriteFailed = 7,
  kFileTooManyOpen = 8,
  kFileBadParameter = 9,
  kFileExists = 10,
  kFileTooManyIndexed = 11,
  kFileAccessDenied = 12,
  kFileReadOnly = 13,
  kFileCorrupt = 14,
  kFileDeleteFailed = 15,
  kFileTooLarge = 16,
  kFileAborted = 17,
  kFileMkdirFailed = 18,
  kFileBadNetworkPath = 19,
  kFileDeviceNotReady = 20,
  kFileNoDrive = 21,
  kFileEraseVerifyFailed = 22,
};

// "An unknown error occurred." for any code without a text of its own.
const char* file_error_text(int code);

}  // namespace kv
