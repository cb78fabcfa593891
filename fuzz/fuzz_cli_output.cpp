// What ardenca-cli prints, for arbitrary bytes in every field and in the name of the
// file saved (which becomes the caption). The JSON always parses back with a strict
// parser; a text that was valid UTF-8 comes back unchanged; the listing for a person
// is printed too. A field with a line break is refused by Save (exit 4).
//
// The input is split at each 0 byte: the first piece names the file, the next ones are
// the texts of Text1, Text2, ... in order.
#include "cli/cli_app.h"
#include "scratch_dir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what,
                 static_cast<int>(std::min<std::size_t>(detail.size(), 200)), detail.data());
    std::abort();
}

// RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF.
bool valid_utf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        unsigned low = 0x80, high = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                low = 0xA0;
            if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if (d < (k == 1 ? low : 0x80) || d > (k == 1 ? high : 0xBF))
                return false;
        }
        i += extra + 1;
    }
    return true;
}

struct Run {
    int status;
    std::string out, err;
};

Run run_cli(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"ardenca-cli"};
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = ardenca::cli::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> pieces;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (true) {
        const std::size_t zero = rest.find('\0');
        pieces.emplace_back(rest.substr(0, zero));
        if (zero == std::string_view::npos)
            break;
        rest.remove_prefix(zero + 1);
    }

    // A name in the scratch folder: no "/", short enough for any folder.
    std::string name = "n" + pieces[0].substr(0, 200);
    for (char& c : name)
        if (c == '/')
            c = '_';
    const std::string path = ardenca::fuzz::scratch_dir() + "/" + name;

    std::vector<std::string> args{"--json"};
    bool line_break = false;
    const std::size_t field_count = std::min<std::size_t>(pieces.size() - 1, 33);
    for (std::size_t i = 1; i <= field_count; ++i) {
        args.push_back("--set");
        args.push_back("Text" + std::to_string(i) + "=" + pieces[i]);
        // Save writes Text1-3, 8, 23-26 (Text31 only as a number).
        if ((i <= 3 || i == 8 || (i >= 23 && i <= 26)) &&
            pieces[i].find_first_of("\r\n") != std::string::npos)
            line_break = true;
    }
    args.push_back("save=" + path);

    const Run json = run_cli(args);
    std::error_code ec;
    std::filesystem::remove(path, ec);
    // 4: a line break, or an "ur" (Text31) too large to save as a number.
    if (json.status != 0 && json.status != 4)
        fail("unexpected exit status", json.err);
    if (line_break && json.status != 4)
        fail("a field with a line break was saved", json.err);

    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(json.out);
    } catch (const nlohmann::json::exception& e) {
        fail(e.what(), json.out);
    }
    for (std::size_t i = 1; i <= field_count; ++i)
        if (valid_utf8(pieces[i]) &&
            doc["fields"]["Text" + std::to_string(i)].get<std::string>() != pieces[i])
            fail("a valid UTF-8 field text changed", pieces[i]);
    const std::string caption = json.status == 0 ? "Ardenca - " + name : "Ardenca";
    if (valid_utf8(caption) && doc["caption"].get<std::string>() != caption)
        fail("the caption changed", caption);

    // The listing: the same run without --json prints the caption first, byte for byte.
    args.erase(args.begin());
    const Run text = run_cli(args);
    std::filesystem::remove(path, ec);
    if (text.status != json.status || !text.out.starts_with(caption + "\n"))
        fail("the listing does not start with the caption", text.out);
    return 0;
}
