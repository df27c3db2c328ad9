/* The INI reader of the web build, with the interface of the inih library the
   desktop build links (Debian's packages carry no source of it for the
   browser): sections "[name]", entries "name = value" or "name: value",
   comments from ';' or '#' at the start of a line, white space trimmed. */
#ifndef TESSIVANE_WEB_INI_H
#define TESSIVANE_WEB_INI_H

#ifdef __cplusplus
extern "C" {
#endif

/* Called for each entry; returns non-zero to go on, zero for an error. */
typedef int (*ini_handler)(void* user, const char* section, const char* name, const char* value);

/* Parses `string`; 0 on success, else the number of the first line in error
   (a line that is neither a section, an entry nor a comment, or an entry the
   handler refused). Every line is read either way. */
int ini_parse_string(const char* string, ini_handler handler, void* user);

#ifdef __cplusplus
}
#endif

#endif
