# The Qt major version this build is for, and the names that follow from it. The Qt 5 build
# keeps the library's historical names; the Qt 6 build adds "-qt6" (or "Qt6" for the CMake
# package) to every installed name, so that both can be installed into one prefix.
#   KELMORA_QT       Qt5 or Qt6: the prefix of the Qt package and its targets (${KELMORA_QT}::Core)
#   KELMORA_QT_MIN   the oldest Qt release of that major version the code supports
#   KELMORA_SUFFIX   "" or "-qt6": appended to library, program and pkg-config names
#   KELMORA_NAME     kelmora or kelmora-qt6: folder for headers, plug-ins and data
#   KELMORA_PACKAGE  Kelmora or KelmoraQt6: the CMake package
if(NOT KELMORA_QT_MAJOR MATCHES "^[56]$")
    message(FATAL_ERROR "KELMORA_QT_MAJOR must be 5 or 6, not '${KELMORA_QT_MAJOR}'")
endif()
set(KELMORA_QT Qt${KELMORA_QT_MAJOR})
if(KELMORA_QT_MAJOR EQUAL 5)
    set(KELMORA_QT_MIN 5.15)
    set(KELMORA_SUFFIX "")
    set(KELMORA_PACKAGE Kelmora)
else()
    set(KELMORA_QT_MIN 6.2)
    set(KELMORA_SUFFIX "-qt6")
    set(KELMORA_PACKAGE KelmoraQt6)
endif()
set(KELMORA_NAME kelmora${KELMORA_SUFFIX})
if(DEFINED CMAKE_INSTALL_INCLUDEDIR)
    set(KELMORA_INCLUDE_DIR "${CMAKE_INSTALL_INCLUDEDIR}/${KELMORA_NAME}")
endif()
