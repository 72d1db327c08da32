// SPDX-License-Identifier: GPL-2.0-or-later
#include "LayerCheck.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

namespace zephyl::test {
namespace {

namespace fs = std::filesystem;

bool IsSourceFile(const fs::path& path) {
    static const std::set<std::string> kExtensions = {".h", ".hpp", ".inc", ".c", ".cc", ".cpp"};
    return kExtensions.contains(path.extension().string());
}

std::string Joined(const std::set<std::string>& folders) {
    if (folders.empty()) {
        return "nothing of the program";
    }
    std::string text;
    for (const auto& folder : folders) {
        text += (text.empty() ? "" : ", ") + folder;
    }
    return text;
}

}  // namespace

LayerReport CheckLayers(const fs::path& treeRoot, const LayerRules& rules) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*"([^"]*)\")");
    const fs::path sourceRoot = treeRoot / "src";
    LayerReport report;
    std::set<std::pair<std::string, std::string>> usedExceptions;

    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(sourceRoot)) {
        // Files of src/ itself (its CMakeLists.txt) belong to no layer.
        if (entry.is_regular_file() && IsSourceFile(entry.path()) &&
            entry.path().parent_path() != sourceRoot) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());

    for (const auto& path : files) {
        const std::string file = fs::relative(path, treeRoot).generic_string();
        const std::string folder = fs::relative(path, sourceRoot).begin()->string();
        const auto row = rules.mayUse.find(folder);
        if (row == rules.mayUse.end()) {
            report.violations.push_back(
                {file, 0, "", "src/" + folder + " has no row in the layer table"});
            continue;
        }
        std::ifstream in(path);
        std::string text;
        int line = 0;
        while (std::getline(in, text)) {
            ++line;
            std::smatch match;
            if (text.find("include") == std::string::npos ||
                !std::regex_search(text, match, kInclude)) {
                continue;
            }
            const std::string include = match[1];
            const auto slash = include.find('/');
            if (slash == std::string::npos) {
                continue;  // a header of the same folder
            }
            const std::string used = include.substr(0, slash);
            std::string reason;
            if (used == "." || used == "..") {
                reason = "a relative path hides the folder it reaches; name the folder";
            } else if (used == folder || !fs::is_directory(sourceRoot / used)) {
                continue;  // its own folder, or a library's header written in quotes
            } else if (!row->second.contains(used)) {
                if (rules.exceptions.contains({file, used})) {
                    usedExceptions.insert({file, used});
                    continue;
                }
                reason = used + " is not below " + folder + " (" + folder + " may use " +
                         Joined(row->second) + ")";
            } else {
                continue;
            }
            report.violations.push_back({file, line, include, reason});
        }
    }
    for (const auto& exception : rules.exceptions) {
        if (!usedExceptions.contains(exception)) {
            report.unusedExceptions.push_back(exception);
        }
    }
    return report;
}

std::string Describe(const LayerReport& report) {
    std::ostringstream out;
    for (const auto& violation : report.violations) {
        out << violation.file << ":" << violation.line << ": ";
        if (!violation.include.empty()) {
            out << "#include \"" << violation.include << "\": ";
        }
        out << violation.reason << "\n";
    }
    for (const auto& [file, folder] : report.unusedExceptions) {
        out << "exception " << file << " -> " << folder << " is no longer needed\n";
    }
    return out.str();
}

}  // namespace zephyl::test
