#include "model/CdTextFields.h"

#include <algorithm>

namespace varnel {

const char* const kCdTextFieldNames[kCdTextFieldCount] = {"Title",    "Performer", "Songwriter",
                                                          "Composer", "Arranger",  "Message"};

namespace {

const char* const kGenres[kCdTextGenreCount] = {
    "",  // not used
    "Not defined",
    "Adult Contemporary",
    "Alternative Rock",
    "Childrens Music",
    "Classical",
    "Contemporary Christian",
    "Country",
    "Dance",
    "Easy Listening",
    "Erotic",
    "Folk",
    "Gospel",
    "Hip Hop",
    "Jazz",
    "Latin",
    "Musical",
    "New Age",
    "Opera",
    "Operetta",
    "Pop Music",
    "Rap",
    "Reggae",
    "Rock Music",
    "Rhythm & Blues",
    "Sound Effects",
    "Soundtrack",
    "Spoken Word",
    "World Music",
};

}  // namespace

bool CdTextFields::Empty() const {
  return std::all_of(Texts.begin(), Texts.end(), [](const std::string& t) { return t.empty(); });
}

const char* CdTextGenreName(int code) {
  return code >= 0 && code < kCdTextGenreCount ? kGenres[code] : "";
}

}  // namespace varnel
