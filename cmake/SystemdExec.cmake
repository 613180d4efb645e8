# quillmark_systemd_path(OUT PATH): PATH as one word of a systemd Exec line. Quoted, so a
# space stays inside it; "%" doubled, so it is no specifier.
function(quillmark_systemd_path out path)
    string(REPLACE "\\" "\\\\" quoted "${path}")
    string(REPLACE "\"" "\\\"" quoted "${quoted}")
    string(REPLACE "%" "%%" quoted "${quoted}")
    set(${out} "\"${quoted}\"" PARENT_SCOPE)
endfunction()
