# What looks open but is not: a link of the user's own in a sticky directory
# that everyone may write, and ACL entries that let only root and the user
# write, whose mask shows as the group's write bit.
need_tool setfacl acl || return
mkdir -m 1777 drop
ln -s ../jobs.ini drop/jobs.ini
setfacl -m "u:root:rwx,g:root:rwx,u:$(id -un):rwx" \
  install/htdocs/LORVANTIS/lorvantis_php/log
mkdir store
if ! on_wine; then
  mv registry.reg store/
  export QUILLSPUR_REGISTRY=$PWD/store/registry.reg
fi
setfacl -m u:root:rwx store
