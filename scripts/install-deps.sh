#!/bin/sh
# Installs the Debian 12 packages Skivane needs to build, run and test. Run as root, or as a
# user allowed to use sudo.
set -eu

if [ "$(id -u)" -eq 0 ]; then
    SUDO=
else
    SUDO=sudo
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    cmake g++ make pkg-config ccache \
    qt6-base-dev qt6-multimedia-dev libqt6multimedia6 qt6-qpa-plugins fonts-dejavu-core fonts-liberation \
    libavdevice-dev libavformat-dev libavcodec-dev libavfilter-dev \
    libswscale-dev libswresample-dev libavutil-dev \
    libudev-dev \
    libgtest-dev libgmock-dev googletest \
    ffmpeg xvfb xauth \
    clang libclang-rt-14-dev libgl-dev
