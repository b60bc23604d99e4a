# The Debian package: `cpack -G DEB` in the build tree (scripts/package.sh
# does it from a clean checkout) makes paperwell_<version>_amd64.deb with
# everything `cmake --install` puts in place under /usr. Depends is worked
# out by dpkg-shlibdeps from the libraries the programs link; what they only
# run or read (the office suite, the recognition data, the faces) is named
# here.
set(PW_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/paperwell)

# Debian's own files of a package: copyright and the changelog, compressed.
string(TIMESTAMP PW_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(pw_package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${PW_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME paperwell)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME paperwell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Paperwell developers")
set(CPACK_PACKAGE_CONTACT "Paperwell developers <support@paperwell.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert PDF files into Word documents that keep their look")
set(CPACK_PACKAGE_DESCRIPTION
"Paperwell turns PDF files into Word documents (.docx, .doc or RTF) in which
every page of the PDF is one page: a picture of the page's graphics lies
behind the text, and the text is real, editable text where the PDF has it,
as flowing paragraphs or in text boxes.
.
The package holds the desktop wizard (paperwell), the command line
(paperwell-cli) with its batch, report and scan options, the menu entry that
opens PDF files, the user guide and the manual pages. Word 97-2003 documents
are made by LibreOffice when it is installed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://paperwell.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine reads the CJK maps and draws with the metric-compatible faces.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "poppler-data, fonts-liberation2 | fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libreoffice-writer-nogui | libreoffice-writer, tesseract-ocr-eng, tesseract-ocr-osd, fonts-crosextra-carlito, fonts-crosextra-caladea, fonts-wqy-microhei, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "tesseract-ocr-all")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
