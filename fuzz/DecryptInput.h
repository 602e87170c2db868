#pragma once
// How the decrypt target reads its input: the settings a user chooses, then the file.
//   InKey (4 bytes, little-endian), n (4 bytes), password length (1 byte), the password in
//   the narrow character set, then the bytes of the .qivg file.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"

namespace angoka::fuzz {

struct DecryptInput {
    std::int32_t inKey = 0;
    std::int32_t rounds = 1;
    std::string password;  // narrow bytes
    std::string file;

    static DecryptInput Parse(const std::uint8_t* data, std::size_t size) {
        Input in(data, size);
        DecryptInput parsed;
        parsed.inKey = in.Int32();
        parsed.rounds = in.Int32();
        parsed.password = std::string(in.Bytes(in.Byte()));
        parsed.file = std::string(in.Rest());
        return parsed;
    }

    std::string Serialize() const {
        std::string out;
        PutInt32(out, inKey);
        PutInt32(out, rounds);
        const std::string kept = password.substr(0, 255);
        out += static_cast<char>(kept.size());
        out += kept;
        out += file;
        return out;
    }
};

}  // namespace angoka::fuzz
