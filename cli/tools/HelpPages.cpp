// Makes the help texts and the man page of a program from one source, so that --help and
// the man page never disagree. The source is plain text: "@name N", "@summary S", then
// blocks that start with "@topic T" (help texts; the first one is the overview) or
// "@section S" (man page only).
//
// usage: kavrin-help-pages SOURCE VERSION MAN-PAGE [HEADER]

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Block {
    bool topic = false;
    std::string title;
    std::string text;
};

struct Source {
    std::string name;
    std::string summary;
    std::vector<Block> blocks;
};

bool startsWith(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

bool read(const char* path, Source& source) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (startsWith(line, "@name "))
            source.name = line.substr(6);
        else if (startsWith(line, "@summary "))
            source.summary = line.substr(9);
        else if (startsWith(line, "@topic "))
            source.blocks.push_back({true, line.substr(7), {}});
        else if (startsWith(line, "@section "))
            source.blocks.push_back({false, line.substr(9), {}});
        else if (!source.blocks.empty())
            source.blocks.back().text += line + '\n';
    }
    return !source.name.empty() && !source.blocks.empty() && source.blocks.front().topic;
}

// Text for troff: backslashes and minus signs escaped, no line read as a request.
std::string troff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

void writeManPage(std::ostream& out, const Source& source, const std::string& version) {
    out << ".TH " << troff(upper(source.name)) << " 1 \"\" \"Kavrin " << version
        << "\" \"User Commands\"\n.SH NAME\n"
        << troff(source.name) << " \\- " << troff(source.summary) << '\n';
    bool commandsOpen = false;
    for (size_t i = 0; i < source.blocks.size(); ++i) {
        const Block& block = source.blocks[i];
        if (i == 0) {
            out << ".SH DESCRIPTION\n";
        } else if (block.topic) {
            if (!commandsOpen)
                out << ".SH COMMANDS\n";
            commandsOpen = true;
            out << ".SS " << troff(block.title) << '\n';
        } else {
            out << ".SH " << troff(upper(block.title)) << '\n';
        }
        out << ".nf\n" << troff(block.text) << ".fi\n";
    }
}

// The help texts as a table of raw string literals.
void writeHeader(std::ostream& out, const Source& source) {
    out << "// Made by kavrin-help-pages from the help source of " << source.name
        << "; edit that instead.\n#pragma once\n\nnamespace kavrin::help {\n\n"
        << "struct Topic {\n    const char* name;\n    const char* text;\n};\n\n"
        << "// The overview first.\ninline constexpr Topic Topics[] = {\n";
    for (const Block& block : source.blocks)
        if (block.topic)
            out << "    {\"" << block.title << "\", R\"kavrin_help(" << block.text
                << ")kavrin_help\"},\n";
    out << "};\n\n} // namespace kavrin::help\n";
}

// Writes only when the content changed, so that an unchanged header rebuilds nothing.
bool writeFile(const std::string& path, const std::string& content) {
    std::ifstream old(path, std::ios::binary);
    std::stringstream existing;
    existing << old.rdbuf();
    if (old && existing.str() == content)
        return true;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return bool(out.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: kavrin-help-pages SOURCE VERSION MAN-PAGE [HEADER]\n";
        return 1;
    }
    Source source;
    if (!read(argv[1], source)) {
        std::cerr << "kavrin-help-pages: " << argv[1]
                  << ": cannot read it, or it lacks @name or a first @topic\n";
        return 1;
    }
    std::ostringstream man;
    writeManPage(man, source, argv[2]);
    bool written = writeFile(argv[3], man.str());
    if (argc == 5) {
        std::ostringstream header;
        writeHeader(header, source);
        written = writeFile(argv[4], header.str()) && written;
    }
    if (!written) {
        std::cerr << "kavrin-help-pages: cannot write the output\n";
        return 1;
    }
    return 0;
}
