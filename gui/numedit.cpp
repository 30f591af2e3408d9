/*
** Numeric edit texts.
*/
#include "gui/numedit.h"

static int digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

static int blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int ne_parse(const char *text, int base, int64_t *value) {
  if (text == NULL || base < 2 || base > 36) return 0;
  const char *p = text, *end = text;
  while (end - text < NE_TEXT_MAX && *end) end++;
  while (p < end && blank(*p)) p++;
  int neg = 0;
  if (p < end && (*p == '-' || *p == '+')) neg = *p++ == '-';
  /* accumulate negatively: the lowest value has no positive twin */
  int64_t v = 0, floor = INT64_MIN;
  int digits = 0;
  for (; p < end && digit(*p) < base; p++, digits++) {
    int d = digit(*p);
    if (v < (floor + d) / base) v = floor;
    else v = v * base - d;
  }
  while (p < end && blank(*p)) p++;
  if (!digits || p != end) return 0;
  if (!neg) v = v == INT64_MIN ? INT64_MAX : -v;
  *value = v;
  return 1;
}

void ne_format(int64_t value, int base, int lower, char *out, size_t size) {
  if (size == 0) return;
  char buf[72];
  int n = 0;
  uint64_t u = value < 0 ? 0 - (uint64_t)value : (uint64_t)value;
  const char *set = lower ? "0123456789abcdefghijklmnopqrstuvwxyz"
                          : "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  do {
    buf[n++] = set[u % (unsigned)base];
    u /= (unsigned)base;
  } while (u);
  if (value < 0) buf[n++] = '-';
  size_t i = 0;
  while (n > 0 && i + 1 < size) out[i++] = buf[--n];
  out[i] = '\0';
}

static int has_lower(const char *s) {
  for (int i = 0; i < NE_TEXT_MAX && s[i]; i++)
    if (s[i] >= 'a' && s[i] <= 'z') return 1;
  return 0;
}

int ne_step(const char *text, int base, int dir, char *out, size_t size) {
  if (size) out[0] = '\0';
  int64_t v;
  if (!ne_parse(text, base, &v)) return 0;
  if (dir > 0 && v < INT64_MAX) v++;
  if (dir < 0 && v > INT64_MIN) v--;
  ne_format(v, base, has_lower(text), out, size);
  return 1;
}
