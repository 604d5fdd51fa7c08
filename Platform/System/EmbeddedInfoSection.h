#pragma once

// Embeds an info dictionary (a JSON object as a string literal) into the executable's
// ".aerlo_info" section, where EmbeddedInfo reads it back from the file. Once per program:
//
//     AERLO_EMBED_INFO("{\"CFBundleShortVersionString\": \"2.4.0\"}");
//     AERLO_EMBED_SHORT_VERSION("2.4.0"); // the same, from a version literal

#if defined(__has_attribute) && __has_attribute(retain)
#define AERLO_EMBED_INFO_RETAIN , retain
#else
#define AERLO_EMBED_INFO_RETAIN
#endif

#define AERLO_EMBED_INFO(json_literal)                                                                                 \
    __attribute__((section(".aerlo_info"), used AERLO_EMBED_INFO_RETAIN)) static const char aerloEmbeddedInfo[] =      \
        json_literal

#define AERLO_EMBED_SHORT_VERSION(version_literal)                                                                     \
    AERLO_EMBED_INFO("{\"CFBundleShortVersionString\": \"" version_literal "\"}")
