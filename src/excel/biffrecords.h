#pragma once

#include <QtGlobal>

namespace quorvel::biff {

// The identifiers of the workbook records the reader and the writer handle.
enum Record : quint16 {
    kFormula = 0x0006,
    kEof = 0x000a,
    kFilePass = 0x002f,
    kFont = 0x0031,
    kContinue = 0x003c,
    kWindow1 = 0x003d,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00bd,
    kMulBlank = 0x00be,
    kRString = 0x00d6,
    kXf = 0x00e0,
    kSst = 0x00fc,
    kLabelSst = 0x00fd,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kWindow2 = 0x023e,
    kRk = 0x027e,
    kStyle = 0x0293,
    kFormat = 0x041e,
    kBof = 0x0809,
};

} // namespace quorvel::biff
