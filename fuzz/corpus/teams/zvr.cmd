;KVELMAR 2: ZANTOR - Информация о командной игре
K=4
[1]
ComName=Синие
R1=А
R2=
R3=
R4=
CompControl=0
RType=0
[2]
ComName=Красные
R1=
R2=
R3=
R4=
CompControl=1
RType=0

