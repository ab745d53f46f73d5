# Joins the language parts into one module file; a part must end with a line break.
string(REPLACE "|" ";" PARTS "${PARTS}")
file(WRITE ${OUTPUT}.tmp "")
foreach(part IN LISTS PARTS)
    file(READ ${part} content)
    file(APPEND ${OUTPUT}.tmp "${content}")
endforeach()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
