# What a Linux desktop needs beside the programs: the icon in every size, the AppStream
# metadata and the manual pages. Included from the top CMakeLists.txt after the programs.

# Icons: the scalable drawing, and the sizes desktops ask for, rendered from it.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)  # Debian: librsvg2-bin
set(icon_svg ${PROJECT_SOURCE_DIR}/res/dragndrop.svg)
set(icon_pngs)
foreach(size 16 32 48 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/dragndrop.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_svg}
    DEPENDS ${icon_svg} VERBATIM)
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_pngs})
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${PROJECT_SOURCE_DIR}/res/org.pelmora.dragndrop.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, made by help2man from each program's --help and --version, so that the page and
# the help cannot say different things. Every installed program gets one: add its line here.
find_program(HELP2MAN help2man REQUIRED)
set(PELMORA_MAN_PAGES)  # the pages made, for the tests
function(pelmora_man_page program description)
  if(NOT TARGET ${program})
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1 --name=${description}
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND gzip -9nkf ${page}
    DEPENDS ${program} VERBATIM)
  add_custom_target(man-${program} ALL DEPENDS ${page})
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(PELMORA_MAN_PAGES ${PELMORA_MAN_PAGES} ${page} PARENT_SCOPE)
endfunction()

pelmora_man_page(dragndrop "view CD-i IFF pictures")
pelmora_man_page(imag2png "convert CD-i IFF pictures to PNG or PPM images")
pelmora_man_page(png2imag "convert PNG images to CD-i IFF pictures")
