// The help merge: one text file of marked blocks split into the files of the help folder.
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/MessagePump.h"
#include "platform/TextCodec.h"

namespace install {

// Splits SourceFile into files under HelpFolder, block by block in file order: pages, style
// sheets and scripts (".HTM", ".CSS", ".JS", ".HTML") get their lines as they stand, each
// ended by CR LF; every other file is decoded from hexadecimal text. Each file gets the DOS
// time stamp of its block; a stamp the file system refuses is ignored. Messages are pumped
// once after each block. A block whose path the name rule of update data refuses
// (platform/NameRule.h: a way out of the help folder, a drive, a device name, a forbidden or
// control character, a trailing dot or blank, an over-long name), or whose folder cannot be
// created, is skipped. Throws BrevanError when the file cannot be read, when a time line is not a
// decimal integer, when binary content is not hexadecimal, or when a help file cannot be written;
// the files written before stay. Returns true otherwise.
bool MergeHelpFile(platform::FileSystem& files, platform::TextCodec& codec,
                   platform::MessagePump& pump, const std::string& SourceFile,
                   const std::string& HelpFolder);

// Writes the bytes that HexText encodes to FileName (created or replaced): blanks and control
// characters around the text are dropped, then each pair of characters is one byte, high digit
// first; a last odd character is ignored. Throws BrevanError, writing nothing, when a pair is
// not two hexadecimal digits or when the file cannot be written.
void HexTextToFile(platform::FileSystem& files, const std::string& HexText,
                   const std::string& FileName);

}  // namespace install
