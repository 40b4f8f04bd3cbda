#pragma once

#include "RadioParameters.h"
#include "RadioSession.h"
#include "core/Language.h"

#include <string>

namespace radio {

// The messages of the Read and Write conversations, shared by the window and the command line.

enum class Operation { Connect, Read, Write };

struct OperationTexts
{
    const char* failureEnglish; // "Connect error!"
    const char* failureChinese;
    const char* caption; // of the Chinese message boxes
};
const OperationTexts& operationTexts(Operation operation);

// The probe found no radio on the port: the failure line and what to check. With the device of
// a port whose other holders may be hidden (SerialPort::deviceWithHiddenHolders), it adds that
// a program of another user may have it open and how to list them.
core::Bilingual connectErrorText(
    const std::string& port, const std::string& hiddenHoldersDevice = {});

// A read or write step the radio did not answer well: the failure line, the port, the value
// whose request went unanswered and what to check. A write's message adds partialWriteText.
core::Bilingual stepFailureText(const RadioSession::State& state, const std::string& port);

// How far a write got: the steps the radio acknowledged (air rate, ID, channel, serial mode, in
// this order), and those whose request went out (one more when the last went unacknowledged).
// None outside the write steps.
struct WriteProgress
{
    int taken = 0;
    int sent = 0;
};
WriteProgress writeProgress(const RadioSession::State& state);

// A second line for the message that ends a write early, naming the values the radio took
// (acknowledged), the one whose request went out unacknowledged, and those never sent. Empty
// for a write of which the radio took nothing.
core::Bilingual partialWriteText(const RadioSession::State& state);
core::Bilingual partialWriteText(WriteProgress progress);

// A write that lacks a value sends nothing and says which.
core::Bilingual missingValueText(WriteValue missing);

// The radio acknowledged the write but reads back other values: one line per value, as written
// and as read back.
core::Bilingual mismatchText(const WriteValues& written, const WriteValues& readBack);

// The radio acknowledged the write but no longer answers a read.
core::Bilingual readBackFailedText();

// The radio took the write, and the port then refused the new serial mode (and closed), so
// nothing was read back.
core::Bilingual followRefusedText();

} // namespace radio
