// The bounded formatter: a writer that stops at the buffer's end, and one conversion at a time.
#include "base/text_format.h"

namespace {

// The output so far: the buffer, its size and how many characters are in it.
struct Output {
    char* text;
    size_t size;
    size_t length;
};

void Put(Output* out, char c) {
    if (out->length + 1 < out->size) out->text[out->length++] = c;
}

// A number in decimal, at least width digits wide, padded with zeros or spaces on the left.
void PutNumber(Output* out, unsigned long value, bool negative, bool zeros, unsigned width) {
    char digits[24];
    unsigned count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    unsigned shown = count + (negative ? 1 : 0);
    if (negative && zeros) Put(out, '-');
    for (; shown < width; ++shown)
        Put(out, zeros ? '0' : ' ');
    if (negative && !zeros) Put(out, '-');
    while (count > 0)
        Put(out, digits[--count]);
}

// The conversion that begins at spec (just after its '%'); returns the character after it.
const char* Convert(Output* out, const char* spec, va_list* arguments) {
    const char* p = spec;
    bool zeros = *p == '0';
    if (zeros) ++p;
    unsigned width = 0;
    while (*p >= '0' && *p <= '9' && width < 100)
        width = width * 10 + static_cast<unsigned>(*p++ - '0');
    bool isLong = *p == 'l';
    if (isLong) ++p;
    switch (*p) {
    case 'd': {
        long value = isLong ? va_arg(*arguments, long) : va_arg(*arguments, int);
        unsigned long magnitude =
            value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
        PutNumber(out, magnitude, value < 0, zeros, width);
        return p + 1;
    }
    case 'u': {
        unsigned long value =
            isLong ? va_arg(*arguments, unsigned long) : va_arg(*arguments, unsigned);
        PutNumber(out, value, false, zeros, width);
        return p + 1;
    }
    case 's': {
        const char* text = va_arg(*arguments, const char*);
        for (const char* c = text ? text : "(null)"; *c != '\0'; ++c)
            Put(out, *c);
        return p + 1;
    }
    case '%':
        if (p != spec) break;
        Put(out, '%');
        return p + 1;
    default: break;
    }
    // Not a conversion this formatter knows: the '%' stands for itself.
    Put(out, '%');
    return spec;
}

} // namespace

size_t FormatTextList(char* out, size_t size, const char* format, va_list arguments) {
    Output output = {out, size, 0};
    va_list rest;
    va_copy(rest, arguments);
    for (const char* p = format; *p != '\0';) {
        if (*p == '%')
            p = Convert(&output, p + 1, &rest);
        else
            Put(&output, *p++);
    }
    va_end(rest);
    if (size > 0) out[output.length] = '\0';
    return output.length;
}

size_t FormatText(char* out, size_t size, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    size_t length = FormatTextList(out, size, format, arguments);
    va_end(arguments);
    return length;
}
