@echo off
title Hello
rem Hello: the example program of Tessaline Setup.
set "here=%~dp0"
echo Hello, world!
echo Greeting settings: "%here%config\hello.ini"
type "%here%config\hello.ini"
pause
