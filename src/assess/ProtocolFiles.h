#pragma once
// Where protocol files are found: the user's folder first (--protocol-dir,
// else the environment variable ONDREL_PROTOCOL_DIR), then the folder
// installed with the programs, found from the running program so that a
// moved installation and the build tree work too.
#include "Protocol.h"

#include <string>
#include <vector>

namespace Assess {

// The folders searched, the user's first; folders that do not exist are kept
// (a listing says so).
std::vector<std::string> ProtocolDirs(const std::string& userDir = {});

// Whether dir, given as --protocol-dir, is a folder; false with the message.
bool CheckProtocolDir(const std::string& dir, std::string& error);

// Every protocol of the folders (a user's file of the same id hides the
// shipped one and names it in its replaces); a file that fails its check is
// reported in problems ("FILE:LINE: problem (protocol ID)" when it names its
// id) and left out, and hides the protocols of its id in later folders too,
// as do two files of one folder with one id (neither is used). Only regular
// files are read: folders and pipes named *.json are reported as skipped.
std::vector<Protocol> LoadProtocols(const std::vector<std::string>& dirs, std::vector<std::string>& problems);

// Whether a problem of LoadProtocols is about the file of protocol id.
bool ProblemIsAbout(const std::string& problem, const std::string& id);

// The protocol with id from dirs; false with a message naming the ids there are.
bool FindProtocol(const std::vector<std::string>& dirs, const std::string& id, Protocol& out, std::string& error);

} // namespace Assess
