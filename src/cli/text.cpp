#include "cli/text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

std::vector<std::string> LineWords(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line.substr(0, line.find('#'))) {
        if (!isspace(static_cast<unsigned char>(c))) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool WholeNumber(const std::string& word, DWORD maximum, DWORD* value)
{
    bool hexadecimal = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char* digits = word.c_str() + (hexadecimal ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    unsigned long long number = strtoull(digits, &end, hexadecimal ? 16 : 10);
    if (!isxdigit(static_cast<unsigned char>(digits[0])) || *end != '\0' || errno != 0 || number > maximum)
        return false;
    *value = static_cast<DWORD>(number);
    return true;
}
