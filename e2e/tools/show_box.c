/* Shows message boxes whose caption and text are read raw from files, so the robot can be checked on
 * exact bytes (CR LF, LF CR, trailing spaces, GBK under the Chinese locale) independently of the
 * product.
 *   show_box.exe TYPE CAPTION-FILE TEXT-FILE [TYPE CAPTION-FILE TEXT-FILE]...
 * TYPE is the MessageBoxA type in decimal. The exit code is the boxes' results as decimal digits in
 * order (IDOK then IDNO gives 17), 99 on a usage or file error. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static char *readFile(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return NULL;
    char *data = (char *)calloc(4096, 1);
    size_t n = fread(data, 1, 4095, f);
    data[n] = 0;
    fclose(f);
    return data;
}

int main(int argc, char **argv)
{
    if (argc < 4 || (argc - 1) % 3 != 0)
        return 99;
    int code = 0;
    for (int i = 1; i + 2 < argc; i += 3) {
        char *caption = readFile(argv[i + 1]);
        char *text = readFile(argv[i + 2]);
        if (!caption || !text)
            return 99;
        int result = MessageBoxA(NULL, text, caption, (UINT)strtoul(argv[i], NULL, 10));
        code = code * 10 + result;
        free(caption);
        free(text);
    }
    return code;
}
