/*
 * The fuzz targets' view of the stand-in's in-memory files: one flat store
 * of files by name (matched without regard to case, as the platform does;
 * no folders), shared by the file functions and the private-profile ones.
 */
#ifndef KESTRUNE_FUZZ_MEMORY_FILES_H
#define KESTRUNE_FUZZ_MEMORY_FILES_H

#include <string>

namespace StandIn
{

/* Removes every file. */
void ClearFiles();
/* Creates or replaces a file with the given bytes. */
void PutFile(const std::string &name, const std::string &bytes);
/* The file's bytes; false when there is no such file. */
bool FileBytes(const std::string &name, std::string *bytes);

} // namespace StandIn

#endif
