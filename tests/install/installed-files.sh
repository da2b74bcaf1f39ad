# The files an install of Kassolin puts in place, relative to its prefix, one a line. Sourced by
# the install and package tests.

kassolin_installed_files() {
    local source=$1
    printf '%s\n' bin/kassolin bin/kassolin-analyze share/applications/kassolin.desktop \
        share/metainfo/org.kassolin.Kassolin.metainfo.xml
    # Made with the menus: expected once they are there.
    if [ -e "$source/data/icons/kassolin.svg" ]; then
        echo share/icons/hicolor/scalable/apps/kassolin.svg
    fi
    if [ -d "$source/data/manual" ]; then
        (cd "$source/data/manual" && find . -type f | sed 's|^\./|share/doc/kassolin/|')
    fi
}

# Prints the files of the list that are missing under the prefix, and those there that the
# list lacks; fails if there are any.
kassolin_compare_installed_files() {
    local source=$1 prefix=$2
    diff <(kassolin_installed_files "$source" | sort) <(cd "$prefix" && find . -type f -o -type l |
        sed 's|^\./||' | sort)
}
