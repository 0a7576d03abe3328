# cmake -DINPUT=file -DOUTPUT=file.c -DNAME=Symbol -P EmbedFile.cmake
# Writes a C file that holds INPUT's bytes as `const unsigned char NAME[]` and its size as
# `const unsigned long NAMESize`.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}.\n"
    "__attribute__((visibility(\"hidden\"))) const unsigned char ${NAME}[] = {\n${bytes}\n};\n"
    "__attribute__((visibility(\"hidden\"))) const unsigned long ${NAME}Size = ${size};\n")
