# The files an install of Kassolin puts in place, relative to its prefix, one a line. Sourced by
# the install and package tests.

kassolin_installed_files() {
    printf '%s\n' bin/kassolin bin/kassolin-analyze share/applications/org.kassolin.Kassolin.desktop \
        share/metainfo/org.kassolin.Kassolin.metainfo.xml \
        share/icons/hicolor/scalable/apps/org.kassolin.Kassolin.svg share/doc/kassolin/index.html \
        share/doc/kassolin/copyright
}

# Prints the files of the list that are missing under the prefix, and those there that the
# list lacks; fails if there are any.
kassolin_compare_installed_files() {
    local prefix=$1
    diff <(kassolin_installed_files | sort) <(cd "$prefix" && find . -type f -o -type l |
        sed 's|^\./||' | sort)
}
