// SPDX-License-Identifier: MIT
#include "cli/Completion.h"

namespace Cli {

namespace {

std::string Join(const std::vector<std::string>& words, const std::string& separator) {
    std::string out;
    for (const std::string& word : words)
        out += (out.empty() ? "" : separator) + word;
    return out;
}

// The option as typed: "-o" and "--output", or "--html" alone.
std::vector<std::string> Spellings(const OptionEntry& row) {
    std::vector<std::string> names;
    if (row.letter)
        names.push_back(std::string("-") + row.letter);
    names.push_back("--" + std::string(row.name));
    return names;
}

// The first line of the help without what zsh reads as markup.
std::string ZshDescription(const OptionEntry& row) {
    std::string line(row.help.substr(0, row.help.find('\n')));
    if (const size_t cut = line.find(';'); cut != std::string::npos)
        line.erase(cut);
    std::string out;
    for (const char c : line) {
        if (c == '\'')
            out += "'\\''";
        else if (c == '[' || c == ']' || c == ':' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out;
}

std::string ZshAction(const OptionEntry& row) {
    std::string valueName(row.valueName);
    for (char& c : valueName)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    switch (row.value) {
    case ValueKind::File:
        return ":" + valueName + ":_files";
    case ValueKind::Folder:
        return ":" + valueName + ":_files -/";
    case ValueKind::Word:
        return ":" + valueName + ":(" + std::string(row.words) + ")";
    case ValueKind::Text:
        return ":" + valueName + ": ";
    case ValueKind::None:
        break;
    }
    return {};
}

} // namespace

std::string BashCompletion(std::span<const OptionEntry> options) {
    std::vector<std::string> listed, files, folders, text;
    std::string words;
    for (const OptionEntry& row : options) {
        const std::vector<std::string> names = Spellings(row);
        if (!row.help.empty())
            listed.insert(listed.end(), names.begin(), names.end());
        switch (row.value) {
        case ValueKind::File:
            files.insert(files.end(), names.begin(), names.end());
            break;
        case ValueKind::Folder:
            folders.insert(folders.end(), names.begin(), names.end());
            break;
        case ValueKind::Text:
            text.insert(text.end(), names.begin(), names.end());
            break;
        case ValueKind::Word:
            words += "        " + Join(names, "|") + ")\n            COMPREPLY=($(compgen -W '" +
                     std::string(row.words) + "' -- \"$cur\"))\n            return ;;\n";
            break;
        case ValueKind::None:
            break;
        }
    }
    return "# bash completion for epubexport; made by `epubexport --print-completion bash`\n"
           "_epubexport() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    # \"--output=FILE\" reaches us as \"--output\" \"=\" \"FILE\".\n"
           "    if [[ $cur == = ]]; then\n"
           "        cur=\n"
           "    elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then\n"
           "        prev=${COMP_WORDS[COMP_CWORD-2]}\n"
           "    fi\n"
           "    case $prev in\n"
           "        " +
           Join(files, "|") +
           ")\n"
           "            compopt -o filenames 2>/dev/null\n"
           "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "            return ;;\n"
           "        " +
           Join(folders, "|") +
           ")\n"
           "            compopt -o filenames 2>/dev/null\n"
           "            COMPREPLY=($(compgen -d -- \"$cur\"))\n"
           "            return ;;\n"
           "        " +
           Join(text, "|") +
           ")\n"
           "            COMPREPLY=()\n"
           "            return ;;\n" +
           words +
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W '" +
           Join(listed, " ") +
           "' -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    compopt -o filenames 2>/dev/null\n"
           "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "}\n"
           "complete -F _epubexport epubexport\n";
}

std::string ZshCompletion(std::span<const OptionEntry> options) {
    std::string out = "#compdef epubexport\n"
                      "# zsh completion for epubexport; made by `epubexport --print-completion "
                      "zsh`\n\n"
                      "_arguments -s -S \\\n";
    for (const OptionEntry& row : options) {
        if (row.help.empty())
            continue;
        const std::vector<std::string> names = Spellings(row);
        // A repeatable option may come back; any other excludes itself and its other name.
        const std::string exclusion = row.repeatable     ? "*"
                                      : names.size() > 1 ? "(" + Join(names, " ") + ")"
                                                         : "";
        for (const std::string& name : names) {
            const bool takesValue = row.value != ValueKind::None;
            const std::string suffix = !takesValue ? "" : name.size() == 2 ? "+" : "=";
            out += "  '" + exclusion + name + suffix + "[" + ZshDescription(row) + "]" +
                   ZshAction(row) + "' \\\n";
        }
    }
    out += "  '1:input file:_files'\n";
    return out;
}

} // namespace Cli
