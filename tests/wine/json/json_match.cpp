// json-match EXPECTED ACTUAL: parses two JSON files (nlohmann-json) and compares them as documents: the same
// members, array lengths and values, where the expected string "<handle>" stands for any window handle
// ("0x" and upper-case hexadecimal digits), since handles differ from run to run. Prints the first
// difference with its path; exit code 0 when they match, 1 when not, 2 when a file cannot be read or parsed.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

bool isHandle(const json& v) {
    if (!v.is_string()) return false;
    const std::string s = v.get<std::string>();
    if (s.size() < 3 || s.compare(0, 2, "0x") != 0) return false;
    return s.find_first_not_of("0123456789ABCDEF", 2) == std::string::npos;
}

bool same(const json& expected, const json& actual, const std::string& path) {
    if (expected.is_string() && expected.get<std::string>() == "<handle>") {
        if (isHandle(actual)) return true;
        std::printf("%s: expected a handle, found %s\n", path.c_str(), actual.dump().c_str());
        return false;
    }
    if (expected.type() != actual.type()) {
        std::printf("%s: expected %s, found %s\n", path.c_str(), expected.dump().c_str(),
                    actual.dump().c_str());
        return false;
    }
    if (expected.is_object()) {
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (!actual.contains(it.key())) {
                std::printf("%s: member \"%s\" is missing\n", path.c_str(), it.key().c_str());
                return false;
            }
            if (!same(it.value(), actual.at(it.key()), path + "." + it.key())) return false;
        }
        for (auto it = actual.begin(); it != actual.end(); ++it)
            if (!expected.contains(it.key())) {
                std::printf("%s: member \"%s\" is not expected\n", path.c_str(), it.key().c_str());
                return false;
            }
        return true;
    }
    if (expected.is_array()) {
        if (expected.size() != actual.size()) {
            std::printf("%s: %u elements expected, %u found\n", path.c_str(),
                        static_cast<unsigned>(expected.size()), static_cast<unsigned>(actual.size()));
            return false;
        }
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (!same(expected[i], actual[i], path + "[" + std::to_string(i) + "]")) return false;
        return true;
    }
    if (expected != actual) {
        std::printf("%s: expected %s, found %s\n", path.c_str(), expected.dump().c_str(),
                    actual.dump().c_str());
        return false;
    }
    return true;
}

bool load(const char* path, json* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("cannot read %s\n", path);
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    *out = json::parse(text, nullptr, false);
    if (out->is_discarded()) {
        std::printf("%s is not a JSON document\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: json-match EXPECTED ACTUAL\n");
        return 2;
    }
    json expected;
    json actual;
    if (!load(argv[1], &expected) || !load(argv[2], &actual)) return 2;
    return same(expected, actual, "$") ? 0 : 1;
}
