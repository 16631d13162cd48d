# A directory above the log directory open to everyone; the log directory
# open to a group through its ACL.
need_tool setfacl acl || return
chmod o+w install/htdocs
setfacl -m g:nogroup:rwx install/htdocs/LORVANTIS/lorvantis_php/log
