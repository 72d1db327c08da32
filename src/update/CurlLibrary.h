// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <curl/curl.h>

#include <string>

namespace zephyl {

/// The functions of libcurl that downloads use. The library is opened when the first download
/// starts, not when the program starts: it brings a whole TLS and network stack with it,
/// which a program that mostly sits in the tray has no use for until it fetches an update.
struct CurlApi {
    CURLcode (*globalInit)(long flags) = nullptr;
    CURL* (*easyInit)() = nullptr;
    CURLcode (*easySetopt)(CURL* handle, CURLoption option, ...) = nullptr;
    CURLcode (*easyPerform)(CURL* handle) = nullptr;
    CURLcode (*easyGetinfo)(CURL* handle, CURLINFO info, ...) = nullptr;
    const char* (*easyStrerror)(CURLcode code) = nullptr;
    void (*easyCleanup)(CURL* handle) = nullptr;
    curl_slist* (*slistAppend)(curl_slist* list, const char* text) = nullptr;
    void (*slistFreeAll)(curl_slist* list) = nullptr;
};

/// libcurl, opened (and initialised) once; null when it cannot be, with the reason in `error`.
/// ZEPHYL_CURL_LIBRARY names another file to open instead of "libcurl.so.4" (tests).
const CurlApi* Curl(std::string* error);

}  // namespace zephyl
