# Sourced: sample driver folders inside a Wine prefix, as the two drivers would leave them.
# Texts are code page 932 bytes, with CR LF line ends.

DRIVE_C="$WINEPREFIX/drive_c"
PSIP_FOLDER="$DRIVE_C/ProgramData/Fujitsu/iCube/FTS"
TWAIN_FOLDER="$DRIVE_C/ProgramData/Fujitsu/Fjtwain/FTS"
FALLBACK_TWAIN_FOLDER="$DRIVE_C/windows/twain_32/fjscan32"
PROFILE_NAME=$'\x92\xCA\x92\xA0\x83}\x83\x8B\x83`'   # 通帳マルチ

# PaperStream IP: slot 1 taken, slot 2 free; the flag of slot 1 raised.
seed_psip_folder() {
    mkdir -p "$PSIP_FOLDER"
    printf '[Informations]\r\n000001=Color\r\n000002=\r\n000003=\r\n\r\n[Settings]\r\nLast=000001\r\n' \
        >"$PSIP_FOLDER/SettingInfo.ini"
    head -c 1008 /dev/zero >"$PSIP_FOLDER/Id.bin"
    printf '\xFF' | dd of="$PSIP_FOLDER/Id.bin" bs=1 seek=9 conv=notrunc status=none
    printf '<profile slot="1"/>\r\n' >"$PSIP_FOLDER/FTS_EX000001.xml"
}

# fi-series TWAIN: slot 01 taken, slot 02 free.
seed_twain_folder() {
    mkdir -p "$1"
    printf '[TemplateLists]\r\n01=color.fts\r\n02=\r\n03=\r\n' >"$1/FTSLISTS.INI"
}

# The flag byte of a slot in Id.bin, in hexadecimal.
flag_byte() {
    od -An -tx1 -j $((8 + $1)) -N1 "$PSIP_FOLDER/Id.bin" | tr -d ' \n'
}
