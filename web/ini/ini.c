#include "ini.h"

#include <ctype.h>
#include <string.h>

enum { kMaxLine = 200, kMaxSection = 50 };

static char* Trim(char* s) {
  while (*s && isspace((unsigned char)*s)) ++s;
  char* end = s + strlen(s);
  while (end > s && isspace((unsigned char)end[-1])) *--end = '\0';
  return s;
}

int ini_parse_string(const char* string, ini_handler handler, void* user) {
  char line[kMaxLine];
  char section[kMaxSection] = "";
  int lineNo = 0, error = 0;
  const char* at = string;
  while (*at) {
    const char* eol = strchr(at, '\n');
    size_t len = eol ? (size_t)(eol - at) : strlen(at);
    ++lineNo;
    /* Longer lines are cut, as the library does. */
    size_t kept = len < kMaxLine - 1 ? len : kMaxLine - 1;
    memcpy(line, at, kept);
    line[kept] = '\0';
    at += len + (eol ? 1 : 0);
    char* s = Trim(line);
    if (lineNo == 1 && (unsigned char)s[0] == 0xEF && (unsigned char)s[1] == 0xBB && (unsigned char)s[2] == 0xBF)
      s = Trim(s + 3); /* a UTF-8 byte-order mark */
    if (*s == '\0' || *s == ';' || *s == '#') continue;
    if (*s == '[') {
      char* close = strchr(s + 1, ']');
      if (!close) {
        if (!error) error = lineNo;
        continue;
      }
      *close = '\0';
      strncpy(section, Trim(s + 1), kMaxSection - 1);
      section[kMaxSection - 1] = '\0';
      continue;
    }
    char* sep = strpbrk(s, "=:");
    if (!sep) {
      if (!error) error = lineNo;
      continue;
    }
    *sep = '\0';
    char* name = Trim(s);
    char* value = sep + 1;
    /* An inline comment starts at ';' after white space. */
    for (char* c = value; *c; ++c)
      if (*c == ';' && c > value && isspace((unsigned char)c[-1])) {
        *c = '\0';
        break;
      }
    value = Trim(value);
    if (!handler(user, section, name, value) && !error) error = lineNo;
  }
  return error;
}
