// SPDX-License-Identifier: MIT
// The manual page and `epubexport --help` describe the same command: every option and exit
// status of one is in the other, and the page carries the tool's version.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string Capture(const std::string& args) {
    const std::string cmd = std::string("'") + EPUBEXPORT_PATH + "' " + args;
    std::string out;
    if (FILE* pipe = ::popen(cmd.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// The page's text with roff escapes for dashes and fonts removed: "\fB\-\-html\fR" is "--html".
std::string ManPageText() {
    std::ifstream in(std::string(EPUB_SOURCE_DIR) + "/docs/epubexport.1");
    std::ostringstream s;
    s << in.rdbuf();
    std::string text = std::regex_replace(s.str(), std::regex(R"(\\-)"), "-");
    return std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
}

// Every "-x" or "--word" token, wherever the text mentions one.
std::set<std::string> Options(const std::string& text) {
    static const std::regex option(R"((?:^|[\s,|\[(])(--?[A-Za-z][-A-Za-z0-9]*))");
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

// The lines of a section, from its ".SH NAME" to the next ".SH".
std::string Section(const std::string& page, const std::string& name) {
    const size_t start = page.find("\n.SH " + name + "\n");
    if (start == std::string::npos)
        return {};
    const size_t body = start + name.size() + 6;
    return page.substr(body, page.find("\n.SH ", body) - body);
}

// The tags of a section's ".TP" paragraphs: the line after each ".TP".
std::string TaggedLines(const std::string& section) {
    static const std::regex tag(R"(\.TP\n([^\n]*))");
    std::string tags;
    for (std::sregex_iterator it(section.begin(), section.end(), tag), end; it != end; ++it)
        tags += (*it)[1].str() + "\n";
    return tags;
}

// The statuses listed under "Exit status:" in the help, one "  N  meaning" line each.
std::set<std::string> HelpExitStatuses(const std::string& help) {
    std::set<std::string> found;
    const size_t start = help.find("Exit status:");
    if (start == std::string::npos)
        return found;
    std::istringstream lines(help.substr(start));
    static const std::regex status(R"(^\s+(\d+)\s)");
    for (std::string line; std::getline(lines, line);)
        if (std::smatch m; std::regex_search(line, m, status))
            found.insert(m[1]);
    return found;
}

TEST(ManPage, DocumentsTheOptionsAndExitStatusesOfTheHelp) {
    const std::string help = Capture("--help");
    const std::string page = ManPageText();
    ASSERT_FALSE(help.empty());
    ASSERT_FALSE(page.empty());

    const std::set<std::string> helpOptions = Options(help);
    const std::set<std::string> pageOptions = Options(TaggedLines(Section(page, "OPTIONS")));
    EXPECT_TRUE(helpOptions.contains("--help"));
    for (const std::string& option : helpOptions)
        EXPECT_TRUE(pageOptions.contains(option)) << option << " is missing from OPTIONS";
    for (const std::string& option : pageOptions)
        EXPECT_TRUE(helpOptions.contains(option)) << option << " is not in --help";

    const std::set<std::string> helpStatuses = HelpExitStatuses(help);
    EXPECT_FALSE(helpStatuses.empty());
    const std::string pageStatuses = TaggedLines(Section(page, "EXIT STATUS"));
    for (const std::string& status : helpStatuses)
        EXPECT_NE(pageStatuses.find(".B " + status + "\n"), std::string::npos)
            << "exit status " << status << " is missing from EXIT STATUS";
}

TEST(ManPage, CarriesTheToolVersion) {
    std::string version = Capture("--version"); // "epubexport 0.1.0\n"
    ASSERT_FALSE(version.empty());
    version.pop_back();
    const std::string page = ManPageText();
    const size_t title = page.find(".TH ");
    ASSERT_NE(title, std::string::npos);
    const std::string titleLine = page.substr(title, page.find('\n', title) - title);
    EXPECT_NE(titleLine.find('"' + version + '"'), std::string::npos) << titleLine;
}

} // namespace
