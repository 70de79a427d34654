// The voices of a choir score as its track names give them: soprano, alto,
// tenor, baritone and bass, in English, German, Italian and Japanese, and
// as the single letters S, A, T and B.
#pragma once

#include <string_view>

// The voice a track name (or a name the user gives) stands for: "Soprano",
// "Alto", "Tenor", "Baritone" or "Bass"; "" for any other name. English,
// German and Italian words count as whole words in any case ("Soprano 2",
// "Sopran", "Contralto", "Tenore"), Japanese words anywhere in the name
// (UTF-8), a single letter only as the whole name ("S", "b:"). A name that
// also names an instrument ("Alto Sax", "Bass Guitar") is no voice.
std::string_view VoiceNamed(std::string_view name);
