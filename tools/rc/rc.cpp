// Resource compiler: turns the resource script assets/vexo.rc into a C++ table of resources for
// the platform's FindResourceW. It understands the subset of the resource-script language the
// program uses; file resources are embedded byte for byte.
//
// Usage: vexo_rc SCRIPT OUTPUT.cpp   (also writes OUTPUT.cpp.d, naming the files read, for make)

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Resource {
    int type;          // RT_* identifier
    int id = 0;        // when name is empty
    std::string name;  // upper case
    std::vector<unsigned char> data;
};

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "vexo_rc: %s\n", message.c_str());
    std::exit(1);
}

std::vector<unsigned char> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Tokens of the script: quoted strings (returned without quotes, "" standing for one quote),
// commas, '|', and words. Comments and preprocessor lines are skipped.
class Tokenizer {
public:
    explicit Tokenizer(std::string text) : text(std::move(text)) {}

    bool atEnd()
    {
        skipBlank();
        return pos >= text.size();
    }

    std::string next(bool* quoted = nullptr)
    {
        skipBlank();
        if (pos >= text.size()) fail("unexpected end of the script");
        if (quoted != nullptr) *quoted = text[pos] == '"';
        if (text[pos] == ',' || text[pos] == '|') return std::string(1, text[pos++]);
        if (text[pos] == '"') return quotedString();
        const size_t start = pos;
        while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos])) && text[pos] != ',' &&
               text[pos] != '|' && text[pos] != '"') {
            ++pos;
        }
        return text.substr(start, pos - start);
    }

    std::string string()
    {
        bool quoted;
        std::string token = next(&quoted);
        if (!quoted) fail("expected a quoted string, found " + token);
        return token;
    }

private:
    void skipBlank()
    {
        for (;;) {
            while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
            if (text.compare(pos, 2, "//") == 0 || (text.compare(pos, 1, "#") == 0 && atLineStart())) {
                pos = text.find('\n', pos);
                if (pos == std::string::npos) pos = text.size();
            } else if (text.compare(pos, 2, "/*") == 0) {
                pos = text.find("*/", pos);
                pos = pos == std::string::npos ? text.size() : pos + 2;
            } else {
                return;
            }
        }
    }

    bool atLineStart() const
    {
        size_t p = pos;
        while (p > 0 && (text[p - 1] == ' ' || text[p - 1] == '\t')) --p;
        return p == 0 || text[p - 1] == '\n';
    }

    std::string quotedString()
    {
        std::string value;
        for (++pos; pos < text.size(); ++pos) {
            if (text[pos] == '"') {
                if (pos + 1 < text.size() && text[pos + 1] == '"') {
                    value += '"';
                    ++pos;
                } else {
                    ++pos;
                    return value;
                }
            } else {
                value += text[pos];
            }
        }
        fail("unterminated string");
    }

    std::string text;
    size_t pos = 0;
};

bool isNumber(const std::string& token)
{
    return !token.empty() && std::isdigit(static_cast<unsigned char>(token[0]));
}

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

class Compiler {
public:
    explicit Compiler(std::filesystem::path script) : script(std::move(script)) {}

    void compile()
    {
        const std::vector<unsigned char> bytes = readFile(script);
        Tokenizer tokens(std::string(bytes.begin(), bytes.end()));
        while (!tokens.atEnd()) {
            Resource resource;
            const std::string name = tokens.next();
            if (isNumber(name)) resource.id = std::stoi(name, nullptr, 0);
            else resource.name = upper(name);
            const std::string type = tokens.next();
            if (type == "RCDATA") {
                resource.type = 10;
                resource.data = embed(tokens.string());
            } else if (type == "ICON") {
                resource.type = 14;  // the whole icon file, read by LoadIconW
                resource.data = embed(tokens.string());
            } else {
                fail("unsupported resource type " + type + " for " + name);
            }
            resources.push_back(std::move(resource));
        }
    }

    void write(const std::string& output) const
    {
        std::ostringstream out;
        out << "// Generated by tools/rc from " << script.filename().string() << "; do not edit.\n"
            << "#include \"platform/ResourceTable.h\"\n\nnamespace {\n";
        for (size_t i = 0; i < resources.size(); ++i) {
            out << "const BYTE resource" << i << "[] = {";
            for (size_t k = 0; k < resources[i].data.size(); ++k) {
                out << (k % 16 == 0 ? "\n    " : " ") << static_cast<int>(resources[i].data[k]) << ",";
            }
            out << "0};\n";  // a trailing zero keeps empty resources legal; it is not counted
        }
        out << "}  // namespace\n\nconst ResourceEntry RESOURCE_TABLE[] = {\n";
        for (size_t i = 0; i < resources.size(); ++i) {
            const Resource& r = resources[i];
            out << "    {" << r.type << ", " << r.id << ", "
                << (r.name.empty() ? std::string("nullptr") : "u\"" + r.name + "\"") << ", resource" << i << ", "
                << r.data.size() << "},\n";
        }
        out << "    {0, 0, nullptr, nullptr, 0},\n};\nconst DWORD RESOURCE_COUNT = " << resources.size() << ";\n";
        std::ofstream(output) << out.str();

        std::ofstream depfile(output + ".d");
        depfile << output << ": " << script.string();
        for (const auto& file : inputs) depfile << " \\\n  " << file.string();
        depfile << "\n";
    }

private:
    std::vector<unsigned char> embed(const std::string& relativePath)
    {
        const std::filesystem::path path = script.parent_path() / relativePath;
        inputs.push_back(path);
        return readFile(path);
    }

    std::filesystem::path script;
    std::vector<std::filesystem::path> inputs;
    std::vector<Resource> resources;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) fail("usage: vexo_rc SCRIPT OUTPUT.cpp");
    Compiler compiler(argv[1]);
    compiler.compile();
    compiler.write(argv[2]);
    return 0;
}
